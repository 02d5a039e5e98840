#!/usr/bin/env python3
"""A second reading of a deliverable by pefile, a PE reader independent of
binutils: it must parse the image without a warning, find its checksum
right and every section's raw size a multiple of the file alignment, and
read the DllCharacteristics flags objdump reads.

usage: check_pe_reader.py <image> <flags that must be set> <flags that must be clear>
Prints each fault and exits 1 when there is any.
"""
import sys

import pefile


def main():
    path, wanted, unwanted = sys.argv[1], int(sys.argv[2], 0), int(sys.argv[3], 0)
    pe = pefile.PE(path)
    header = pe.OPTIONAL_HEADER
    faults = ["warning: " + w for w in pe.get_warnings()]
    if not pe.verify_checksum():
        faults.append("checksum %#x, computed %#x" % (header.CheckSum, pe.generate_checksum()))
    faults += ["%s raw size %#x is no multiple of %#x" % (s.Name.rstrip(b"\0").decode(), s.SizeOfRawData,
                                                           header.FileAlignment)
               for s in pe.sections if s.SizeOfRawData % header.FileAlignment]
    if header.DllCharacteristics & wanted != wanted or header.DllCharacteristics & unwanted:
        faults.append("DllCharacteristics %#06x" % header.DllCharacteristics)
    print("; ".join(faults))
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()

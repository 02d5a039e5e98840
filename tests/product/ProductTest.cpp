#include "tests/product/ProductTest.h"

#include <sstream>

#include "support/Utils.h"
#include "tests/common/TestEnv.h"

std::map<uint32_t, std::wstring> PayloadSources()
{
    std::map<uint32_t, std::wstring> sources;
    std::istringstream lines(ReadFileBytes(SourcePath(L"resources\\payload.lst")));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t blank = line.find(' ');
        const uint32_t id = static_cast<uint32_t>(std::stoul(line.substr(0, blank)));
        std::string file = line.substr(blank + 1);
        if (!file.empty() && file.back() == '\r')
            file.pop_back();
        std::wstring wide(file.begin(), file.end());
        if (wide == L"@untwk")
            sources[id] = BinPath(L"untwk.exe");
        else if (wide == L"@qzlabout")
            sources[id] = BinPath(L"qzlabout.dll");
        else {
            for (wchar_t& ch : wide)
                if (ch == L'/')
                    ch = L'\\';
            sources[id] = SourcePath(wide);
        }
    }
    return sources;
}

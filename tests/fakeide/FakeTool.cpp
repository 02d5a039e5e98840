// Stand-in for an IDE's command-line tools. Copied as bin\dcc32.exe,
// bin\dcc64.exe or bin\make.exe, it takes its role from its own file name and
// behaves as far as the install script relies on the real tools: it runs in
// the current directory, reads the package project and the option files
// there, checks that every unit the package contains exists on the search
// path those files give, and writes the package files where they say. A
// missing unit or output folder means no output and exit code 1.
//
// dcc32/dcc64 <project>.dpk reads, in this order, <tool>.cfg beside the tool,
// <tool>.cfg and <project>.cfg in the current directory. Switches:
//   -U<dir;dir>  unit search path (added to; the current directory comes first)
//   -LE<dir>     package output (.bpl, or .dpl when the project says {$E dpl})
//   -LN<dir>     .dcp output          -N<dir>/-N0<dir>  .dcu output
//   -NH<dir>     .hpp output (default: beside each unit source)
//   -JL, -JPHNE  also write the C++ headers (.hpp)
// The project's "contains" clause names the units ("Name" or "Name in 'file'").
//
// make /f<makefile> (or -f) reads NAME = value lines of a C++Builder package
// makefile: PROJECT (the .bpl), OBJFILES (one per unit; the folder of the
// objects must exist), PATHCPP and PATHPAS (where X.cpp or X.pas of each
// object is looked for), PFLAGS (-JPHNE for headers, -NH<dir>). It writes the
// .bpl, its .bpi and .lib beside it, the objects, and the headers.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

using TStrings = std::vector<std::string>;

std::string ReadText(const std::string& path, bool& found)
{
    found = false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    found = true;
    return text;
}

bool WriteText(const std::string& path, const std::string& text)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    return ok;
}

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder == ".")
        return name;
    return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string Lower(std::string text)
{
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    return text;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

TStrings Split(const std::string& text, const char* separators)
{
    TStrings parts;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = text.find_first_of(separators, start);
        const std::string part = Trim(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (!part.empty())
            parts.push_back(part);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

int Fail(const std::string& message)
{
    std::printf("Fatal: %s\n", message.c_str());
    return 1;
}

// ---- dcc32 / dcc64 ------------------------------------------------------------
struct TOptions {
    TStrings SearchPath;
    std::string PackageOut = ".";
    std::string DcpOut = ".";
    std::string DcuOut = ".";
    std::string HppOut;  // empty: beside each unit source
    bool Headers = false;
};

void ApplySwitch(const std::string& item, TOptions& options)
{
    if (item.size() < 2 || (item[0] != '-' && item[0] != '/'))
        return;
    const std::string body = item.substr(1);
    auto value = [&](size_t n) { return Trim(body.substr(n)); };
    if (body.compare(0, 2, "LE") == 0)
        options.PackageOut = value(2);
    else if (body.compare(0, 2, "LN") == 0)
        options.DcpOut = value(2);
    else if (body.compare(0, 2, "NH") == 0)
        options.HppOut = value(2);
    else if (body.compare(0, 2, "NS") == 0)
        return;  // unit scope names: nothing to look up
    else if (body.compare(0, 2, "N0") == 0)
        options.DcuOut = value(2);
    else if (body[0] == 'N' && body.size() > 1 && body[1] != '2')
        options.DcuOut = value(1);
    else if (body[0] == 'U') {
        for (const std::string& folder : Split(value(1), ";"))
            options.SearchPath.push_back(folder);
    } else if (body == "JL" || body == "JPHNE")
        options.Headers = true;
}

void ReadOptionFile(const std::string& path, TOptions& options)
{
    bool found = false;
    const std::string text = ReadText(path, found);
    for (const std::string& line : Split(text, "\r\n"))
        for (const std::string& item : Split(line, " \t"))
            ApplySwitch(item, options);
}

// Pascal source without comments; {$E ext} is reported through extension.
std::string StripComments(const std::string& source, std::string& extension)
{
    std::string out;
    for (size_t i = 0; i < source.size();) {
        if (source[i] == '{') {
            const size_t end = source.find('}', i);
            const std::string comment = source.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
            if (comment.size() > 3 && Lower(comment.substr(0, 3)) == "$e ")
                extension = Trim(comment.substr(3));
            i = end == std::string::npos ? source.size() : end + 1;
        } else if (source.compare(i, 2, "(*") == 0) {
            const size_t end = source.find("*)", i + 2);
            i = end == std::string::npos ? source.size() : end + 2;
        } else if (source.compare(i, 2, "//") == 0) {
            const size_t end = source.find('\n', i);
            i = end == std::string::npos ? source.size() : end;
        } else if (source[i] == '\'') {
            const size_t end = source.find('\'', i + 1);
            const size_t stop = end == std::string::npos ? source.size() : end + 1;
            out += source.substr(i, stop - i);
            i = stop;
        } else {
            out += source[i++];
        }
    }
    return out;
}

struct TUnitRef {
    std::string Name;
    std::string File;  // from "in '...'", else empty
};

bool ParsePackage(const std::string& source, std::string& name, std::vector<TUnitRef>& units, std::string& extension)
{
    const std::string text = StripComments(source, extension);
    const std::string lower = Lower(text);
    const size_t package = lower.find("package");
    const size_t contains = lower.find("contains");
    if (package == std::string::npos || contains == std::string::npos)
        return false;
    name = Trim(text.substr(package + 7, text.find(';', package) - package - 7));
    const size_t end = text.find(';', contains);
    for (const std::string& entry : Split(text.substr(contains + 8, end - contains - 8), ",")) {
        TUnitRef unit;
        const size_t in = Lower(entry).find(" in ");
        unit.Name = Trim(entry.substr(0, in));
        if (in != std::string::npos) {
            const std::string quoted = Trim(entry.substr(in + 4));
            unit.File = quoted.size() >= 2 ? quoted.substr(1, quoted.size() - 2) : quoted;
        }
        units.push_back(unit);
    }
    return !name.empty() && !units.empty();
}

std::string FindUnit(const TUnitRef& unit, const TStrings& searchPath)
{
    if (!unit.File.empty())
        return IsFile(unit.File) ? unit.File : "";
    if (IsFile(unit.Name + ".pas"))
        return unit.Name + ".pas";
    for (const std::string& folder : searchPath)
        if (IsFile(Join(folder, unit.Name + ".pas")))
            return Join(folder, unit.Name + ".pas");
    return "";
}

int RunCompiler(const std::string& tool, const std::string& toolDir, const TStrings& args)
{
    std::string project;
    TStrings switches;
    for (const std::string& arg : args) {
        if (arg[0] == '-' || arg[0] == '/')
            switches.push_back(arg);
        else
            project = arg;
    }
    if (project.empty())
        return Fail("No project file given");
    if (BaseName(project) == project)
        project += ".dpk";
    TOptions options;
    ReadOptionFile(Join(toolDir, tool + ".cfg"), options);
    ReadOptionFile(tool + ".cfg", options);
    ReadOptionFile(BaseName(project) + ".cfg", options);
    // Switches on the command line come last and win.
    for (const std::string& item : switches)
        ApplySwitch(item, options);
    bool found = false;
    const std::string source = ReadText(project, found);
    if (!found)
        return Fail("Could not open '" + project + "'");
    std::string name;
    std::string extension = "bpl";
    std::vector<TUnitRef> units;
    if (!ParsePackage(source, name, units, extension))
        return Fail("'" + project + "' is no package project");

    std::vector<std::string> sources;
    for (const TUnitRef& unit : units) {
        const std::string file = FindUnit(unit, options.SearchPath);
        if (file.empty())
            return Fail("File not found: '" + unit.Name + ".pas'");
        sources.push_back(file);
    }
    for (const std::string& folder : {options.PackageOut, options.DcpOut, options.DcuOut, options.HppOut})
        if (!folder.empty() && folder != "." && !IsFolder(folder))
            return Fail("Could not create output file in '" + folder + "'");

    std::string listing = "contains:";
    for (const TUnitRef& unit : units)
        listing += " " + unit.Name;
    for (size_t i = 0; i < units.size(); ++i) {
        WriteText(Join(options.DcuOut, units[i].Name + ".dcu"), "DCU " + units[i].Name + " by " + tool + "\r\n");
        if (options.Headers) {
            const std::string folder = options.HppOut.empty() ? FolderOf(sources[i]) : options.HppOut;
            WriteText(Join(folder, units[i].Name + ".hpp"),
                      "// " + units[i].Name + ".hpp: generated by " + tool + "\r\n#pragma once\r\n");
        }
    }
    const std::string header = "Orvane stand-in package " + name + " built by " + tool + "\r\n" + listing + "\r\n";
    if (!WriteText(Join(options.DcpOut, name + ".dcp"), header) ||
        !WriteText(Join(options.PackageOut, name + "." + extension), header))
        return Fail("Could not write the package " + name);
    std::printf("%s: %zu units, %s.%s\n", tool.c_str(), units.size(), name.c_str(), extension.c_str());
    return 0;
}

// ---- make ---------------------------------------------------------------------------
std::map<std::string, std::string> ReadMakefile(const std::string& text)
{
    std::map<std::string, std::string> values;
    std::string joined;
    for (const std::string& raw : Split(text, "\n")) {
        std::string line = Trim(raw);
        const bool continued = !line.empty() && line.back() == '\\';
        if (continued)
            line.pop_back();
        joined += line + " ";
        if (continued)
            continue;
        const size_t equals = joined.find('=');
        if (joined[0] != '#' && equals != std::string::npos && joined.find(':') > equals)
            values[Trim(joined.substr(0, equals))] = Trim(joined.substr(equals + 1));
        joined.clear();
    }
    return values;
}

std::string FindIn(const std::string& name, const std::string& pathList)
{
    for (const std::string& folder : Split(pathList, ";"))
        if (IsFile(Join(folder, name)))
            return Join(folder, name);
    return "";
}

int RunMake(const TStrings& args)
{
    std::string makefile;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if ((arg[0] == '/' || arg[0] == '-') && arg.size() >= 2 && (arg[1] == 'f' || arg[1] == 'F'))
            makefile = arg.size() > 2 ? arg.substr(2) : (i + 1 < args.size() ? args[i + 1] : "");
    }
    if (makefile.empty())
        return Fail("No makefile given");
    bool found = false;
    const auto values = ReadMakefile(ReadText(makefile, found));
    if (!found)
        return Fail("Unable to open makefile '" + makefile + "'");
    auto value = [&](const char* key) {
        const auto it = values.find(key);
        return it == values.end() ? std::string() : it->second;
    };
    const std::string project = value("PROJECT");
    const TStrings objects = Split(value("OBJFILES"), " \t");
    if (project.empty() || objects.empty())
        return Fail("'" + makefile + "' names no package");
    TOptions options;
    for (const std::string& item : Split(value("PFLAGS"), " \t"))
        ApplySwitch(item, options);

    std::vector<std::string> units;
    for (const std::string& object : objects) {
        const std::string unit = BaseName(object);
        std::string source = FindIn(unit + ".cpp", value("PATHCPP"));
        if (source.empty())
            source = FindIn(unit + ".pas", value("PATHPAS"));
        if (source.empty())
            return Fail("Unable to open file '" + unit + ".cpp' or '" + unit + ".pas'");
        if (!FolderOf(object).empty() && !IsFolder(FolderOf(object)))
            return Fail("Unable to create '" + object + "'");
        units.push_back(source);
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        WriteText(objects[i], "OBJ " + BaseName(objects[i]) + "\r\n");
        const std::string& source = units[i];
        if (options.Headers && Lower(source.substr(source.size() - 4)) == ".pas") {
            const std::string folder = options.HppOut.empty() ? FolderOf(source) : options.HppOut;
            WriteText(Join(folder, BaseName(source) + ".hpp"),
                      "// " + BaseName(source) + ".hpp: generated by make\r\n#pragma once\r\n");
        }
    }
    const std::string base = Join(FolderOf(project), BaseName(project));
    const std::string header = "Orvane stand-in package " + BaseName(project) + " built by make\r\n";
    if (!WriteText(base + ".bpi", header) || !WriteText(base + ".lib", header) || !WriteText(project, header))
        return Fail("Unable to write '" + project + "'");
    std::printf("make: %zu objects, %s\n", objects.size(), project.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    char module[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string self(module, length);
    const std::string tool = Lower(BaseName(self));
    TStrings args;
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] != '\0')
            args.emplace_back(argv[i]);
    if (tool == "make")
        return RunMake(args);
    if (tool == "dcc32" || tool == "dcc64")
        return RunCompiler(tool, FolderOf(self), args);
    return Fail("Run me as dcc32.exe, dcc64.exe or make.exe, not as " + tool);
}

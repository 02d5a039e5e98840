// Stand-in for an IDE's command-line tools, and a canary. Its role comes
// from its own file name:
//   dcc32.exe, dcc64.exe <project>[.dpk]  reads <tool>.cfg beside itself, then
//       <tool>.cfg and <project>.cfg in the current directory (-U search path,
//       -LE package, -LN .dcp, -N/-N0 .dcu, -NH .hpp output, -JL/-JPHNE
//       headers) and the project's "contains" clause ({$E dpl} for Delphi 3);
//   make.exe -f<makefile>  reads PROJECT, OBJFILES, PATHCPP, PATHPAS and
//       PFLAGS of a C++Builder package makefile.
// Every unit must exist on the search path and every output folder must
// exist; otherwise it writes nothing and ends with exit code 1, as the real
// tools do. While a file "<tool>.hold" lies beside it, the tool writes
// "<tool>.held" there and waits until the hold is gone, so a test can act
// during a compile; "<tool>.held" goes once that compile has ended.
// Each tool run also leaves "<tool>-dacl.txt" there: the access list it was
// started with, "null" when any program may open the process.
// Under any other name it only leaves "<name>-ran.txt" beside itself, with
// its command line: proof that it was started.
#include <windows.h>

#include <aclapi.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using TStrings = std::vector<std::string>;

std::string Read(const std::string& path, bool* found = nullptr)
{
    std::ifstream in(path, std::ios::binary);
    if (found)
        *found = in.good();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Write(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return out && out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

bool Exists(const std::string& path, bool folder)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

std::string Lower(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch + 32 : ch);
    return text;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    return first == std::string::npos ? "" : text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

TStrings Split(const std::string& text, const char* separators)
{
    TStrings parts;
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find_first_of(separators, start);
        end = end == std::string::npos ? text.size() : end;
        if (!Trim(text.substr(start, end - start)).empty())
            parts.push_back(Trim(text.substr(start, end - start)));
        start = end + 1;
    }
    return parts;
}

std::string Join(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder == "." ? name : folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string BaseName(const std::string& path)
{
    const std::string name = path.substr(path.find_last_of("\\/") + 1);
    return name.substr(0, name.find_last_of('.'));
}

int Fail(const std::string& message)
{
    std::printf("Fatal: %s\n", message.c_str());
    return 1;
}

struct TOptions {
    TStrings SearchPath;
    std::string PackageOut, DcpOut, DcuOut, HppOut;
    bool Headers = false;
};

void ApplySwitch(const std::string& item, TOptions& o)
{
    if (item.size() < 2 || (item[0] != '-' && item[0] != '/'))
        return;
    const std::string s = item.substr(1);
    const auto is = [&](const char* prefix) { return s.compare(0, strlen(prefix), prefix) == 0; };
    if (is("LE"))
        o.PackageOut = s.substr(2);
    else if (is("LN"))
        o.DcpOut = s.substr(2);
    else if (is("NH"))
        o.HppOut = s.substr(2);
    else if (is("N0"))
        o.DcuOut = s.substr(2);
    else if (s[0] == 'N' && !is("NS") && !is("N2"))
        o.DcuOut = s.substr(1);
    else if (s[0] == 'U')
        for (const std::string& folder : Split(s.substr(1), ";"))
            o.SearchPath.push_back(folder);
    else if (s == "JL" || s == "JPHNE")
        o.Headers = true;
}

void ReadOptions(const std::string& text, TOptions& o)
{
    for (const std::string& item : Split(text, " \t\r\n"))
        ApplySwitch(item, o);
}

// The first of the folders that holds name, as a path; empty when none does.
std::string FindIn(const std::string& name, const TStrings& folders)
{
    for (const std::string& folder : folders)
        if (Exists(Join(folder, name), false))
            return Join(folder, name);
    return "";
}

bool FoldersExist(const TOptions& o)
{
    for (const std::string& folder : {o.PackageOut, o.DcpOut, o.DcuOut, o.HppOut})
        if (!folder.empty() && folder != "." && !Exists(folder, true))
            return false;
    return true;
}

void WriteHeader(const TOptions& o, const std::string& source, const std::string& tool)
{
    if (o.Headers)
        Write(Join(o.HppOut.empty() ? FolderOf(source) : o.HppOut, BaseName(source) + ".hpp"),
              "// " + BaseName(source) + ".hpp, generated by " + tool + "\r\n#pragma once\r\n");
}

int Dcc(const std::string& tool, const std::string& toolDir, const TStrings& args)
{
    std::string project = args.empty() ? "" : args.back();
    if (project.find('.') == std::string::npos)
        project += ".dpk";
    TOptions o;
    for (const std::string& cfg : {Join(toolDir, tool + ".cfg"), tool + ".cfg", BaseName(project) + ".cfg"})
        ReadOptions(Read(cfg), o);
    bool found = false;
    std::string source = Read(project, &found);
    if (!found)
        return Fail("could not open " + project);
    // Comments go, except for the {$E ext} directive that names the extension.
    std::string text, extension = "bpl";
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] != '{') {
            text += source[i];
            continue;
        }
        const size_t end = source.find('}', i);
        const std::string comment = source.substr(i + 1, end - i - 1);
        if (Lower(comment.substr(0, 3)) == "$e ")
            extension = Trim(comment.substr(3));
        i = end == std::string::npos ? source.size() : end;
    }
    const std::string lower = Lower(text);
    const size_t package = lower.find("package "), contains = lower.find("contains");
    if (package == std::string::npos || contains == std::string::npos)
        return Fail(project + " is no package project");
    const std::string name = Trim(text.substr(package + 8, text.find(';', package) - package - 8));
    TStrings sources, units = Split(text.substr(contains + 8, text.find(';', contains) - contains - 8), ",");
    TStrings searchPath = {"."};
    searchPath.insert(searchPath.end(), o.SearchPath.begin(), o.SearchPath.end());
    for (const std::string& unit : units) {
        const size_t in = Lower(unit).find(" in ");
        const std::string file = in == std::string::npos ? FindIn(Trim(unit) + ".pas", searchPath)
                                                         : FindIn(Trim(unit.substr(in + 4)), {"."});
        if (file.empty())
            return Fail("file not found: " + unit);
        sources.push_back(file);
    }
    if (!FoldersExist(o))
        return Fail("could not create output files of " + name);
    for (const std::string& file : sources) {
        Write(Join(o.DcuOut, BaseName(file) + ".dcu"), "DCU " + BaseName(file) + "\r\n");
        WriteHeader(o, file, tool);
    }
    const std::string built = "Orvane stand-in package " + name + " built by " + tool + "\r\n";
    if (!Write(Join(o.DcpOut, name + ".dcp"), built) || !Write(Join(o.PackageOut, name + "." + extension), built))
        return Fail("could not write " + name);
    return 0;
}

int Make(const TStrings& args)
{
    std::string makefile;
    for (const std::string& arg : args)
        if (arg.size() > 2 && (arg[0] == '/' || arg[0] == '-') && (arg[1] == 'f' || arg[1] == 'F'))
            makefile = arg.substr(2);
    bool found = false;
    std::map<std::string, std::string> values;
    std::string joined;
    for (const std::string& raw : Split(Read(makefile, &found), "\n")) {
        joined += raw;
        if (!joined.empty() && joined.back() == '\\') {  // continued on the next line
            joined.back() = ' ';
            continue;
        }
        const size_t equals = joined.find('=');
        if (joined[0] != '#' && equals != std::string::npos && joined.find(':') > equals)
            values[Trim(joined.substr(0, equals))] = Trim(joined.substr(equals + 1));
        joined.clear();
    }
    if (!found)
        return Fail("unable to open makefile " + makefile);
    const std::string project = values["PROJECT"];
    const TStrings objects = Split(values["OBJFILES"], " \t");
    if (project.empty() || objects.empty())
        return Fail(makefile + " names no package");
    TOptions o;
    ReadOptions(values["PFLAGS"], o);
    TStrings sources;
    for (const std::string& object : objects) {
        std::string source = FindIn(BaseName(object) + ".cpp", Split(values["PATHCPP"], ";"));
        if (source.empty())
            source = FindIn(BaseName(object) + ".pas", Split(values["PATHPAS"], ";"));
        if (source.empty())
            return Fail("unable to open " + BaseName(object) + ".cpp or .pas");
        if (!FolderOf(object).empty() && !Exists(FolderOf(object), true))
            return Fail("unable to create " + object);
        sources.push_back(source);
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        Write(objects[i], "OBJ " + BaseName(objects[i]) + "\r\n");
        if (Lower(sources[i]).find(".pas") != std::string::npos)
            WriteHeader(o, sources[i], "make");
    }
    const std::string built = "Orvane stand-in package " + BaseName(project) + " built by make\r\n";
    const std::string base = Join(FolderOf(project), BaseName(project));
    if (!Write(base + ".bpi", built) || !Write(base + ".lib", built) || !Write(project, built))
        return Fail("unable to write " + project);
    return 0;
}

std::string OwnAccessList()
{
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(GetCurrentProcess(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                        nullptr, &descriptor) != ERROR_SUCCESS)
        return "unreadable";
    const std::string text = dacl ? "entries " + std::to_string(dacl->AceCount) : "null";
    LocalFree(descriptor);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    char module[MAX_PATH];
    const std::string self(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
    const std::string role = Lower(BaseName(self)), folder = FolderOf(self);
    if (role != "dcc32" && role != "dcc64" && role != "make")
        return Write(Join(folder, role + "-ran.txt"), GetCommandLineA()) ? 0 : 1;
    Write(Join(folder, role + "-dacl.txt"), OwnAccessList());
    const std::string hold = Join(folder, role + ".hold"), held = Join(folder, role + ".held");
    const bool holding = Exists(hold, false);
    if (holding) {
        Write(held, GetCommandLineA());
        while (Exists(hold, false))
            Sleep(20);
    }
    const TStrings args(argv + 1, argv + argc);
    const int code = role == "make" ? Make(args) : Dcc(role, folder, args);
    if (holding)  // the test waits for this before it goes on
        DeleteFileA(held.c_str());
    return code;
}

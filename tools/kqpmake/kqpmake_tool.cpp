#include "kqpmake_tool.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "kqp_writer.h"
#include "manifest.h"

namespace kqpmake {
namespace {

constexpr const char* kUsage = "usage: kqpmake [--help] MANIFEST OUTPUT.kqp\n";

constexpr const char* kHelp = R"(kqpmake - writes a patch file (*.kqp) from a plain-text manifest

usage: kqpmake [--help] MANIFEST OUTPUT.kqp

The manifest holds one "field = value" per line; the value runs to the end
of the line. Lines starting with '#' are comments, blank lines are ignored.

  title = Racing 1.2 update            once, before the first section

  [directory]                          one per directory entry, in order
  id = 5                               32-bit identifier the records use
  kind = registry                      registry, search, or a number
  key = SOFTWARE\KenQuill\Racing       registry subkey (or file to search)
  name = RACE.EXE                      optional
  root = HKLM                          registry kind only: HKCR HKCU HKLM HKU
                                       HKCC HKDD, HKEY_... in full, or a number

  [file]                               one per file record, in order
  directory = 5                        windows, system, or a directory id
  name = DATA\MAP.DAT                  path below the directory
  operation = replace                  replace, add, remove, or a number
  description = Updating the map       optional; repeat for more lines
  key-byte = 16                        0..255, default 0
  source = map.dat                     new content, relative to the manifest;
                                       left out: empty; never with remove

Exit status: 0 written, 1 manifest or file error, 2 usage.
)";

bool WriteAll(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        out << kHelp;
        return kExitOk;
    }
    if (args.size() != 2 || args[0].starts_with("-") || args[1].starts_with("-")) {
        err << kUsage;
        return kExitUsage;
    }
    const std::filesystem::path manifestPath(args[0]);
    const std::filesystem::path outputPath(args[1]);

    const auto fail = [&](const std::filesystem::path& path, const std::string& reason) {
        err << "kqpmake: " << path.string() << ": " << reason << "\n";
        return kExitFailed;
    };
    std::error_code ec;
    // A folder opens as a stream on some systems and then throws on reading.
    if (std::filesystem::is_directory(manifestPath, ec)) return fail(manifestPath, "is a folder");
    std::ifstream in(manifestPath, std::ios::binary);
    if (!in) return fail(manifestPath, "cannot read");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return fail(manifestPath, "cannot read");

    PatchContent content;
    std::string error;
    if (!ParseManifest(text, manifestPath.parent_path(), content, error)) {
        return fail(manifestPath, error);
    }
    Bytes bytes;
    if (!BuildPatch(content, bytes, error)) return fail(manifestPath, error);

    // Written beside the output and renamed over it, so a failure never
    // leaves a half-written patch under the output's name.
    std::filesystem::path partial = outputPath;
    partial += ".part";
    if (!WriteAll(partial, bytes)) {
        std::filesystem::remove(partial, ec);
        return fail(outputPath, "cannot write");
    }
    std::filesystem::rename(partial, outputPath, ec);
    if (ec) {
        std::filesystem::remove(partial, ec);
        return fail(outputPath, "cannot write");
    }
    out << outputPath.string() << ": " << content.directories.size() << " directories, "
        << content.files.size() << " files, " << bytes.size() << " bytes\n";
    return kExitOk;
}

}  // namespace

int RunKqpmake(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    // Whatever the library throws (a stream error, memory) is one more
    // failure with the usual message, never an abort.
    try {
        return Run(args, out, err);
    } catch (const std::exception& e) {
        err << "kqpmake: " << e.what() << "\n";
    } catch (...) {
        err << "kqpmake: unexpected failure\n";
    }
    return kExitFailed;
}

}  // namespace kqpmake

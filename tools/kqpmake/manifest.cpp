#include "manifest.h"

#include <cctype>
#include <charconv>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <set>
#include <system_error>
#include <utility>

#include "patch_rules.h"

namespace kqpmake {
namespace {

std::string_view Trim(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

std::string Upper(std::string_view text) {
    std::string upper;
    for (char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

std::optional<long long> Number(std::string_view text, long long lowest, long long highest) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < lowest || value > highest) {
        return std::nullopt;
    }
    return value;
}

// A word from the list (ignoring case) or a number in range.
std::optional<long long> WordOrNumber(
    std::string_view text, std::initializer_list<std::pair<const char*, long long>> words,
    long long lowest, long long highest) {
    const std::string upper = Upper(text);
    for (const auto& [word, value] : words) {
        if (upper == word) return value;
    }
    return Number(text, lowest, highest);
}

bool ReadSource(const std::filesystem::path& path, Bytes& content) {
    // A folder opens as a stream on some systems and then fails to read.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

enum class Section { kNone, kDirectory, kFile };

class Parser {
  public:
    Parser(const std::filesystem::path& baseDir, PatchContent& content)
        : baseDir_(baseDir), content_(content) {}

    bool Line(std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == '#') return true;
        if (line == "[directory]") return StartSection(Section::kDirectory);
        if (line == "[file]") return StartSection(Section::kFile);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) return Fail("expected 'field = value' or a section");
        const std::string field(Trim(line.substr(0, equals)));
        const std::string_view value = Trim(line.substr(equals + 1));
        switch (section_) {
            case Section::kNone:
                return TitleField(field, value);
            case Section::kDirectory:
                return DirectoryField(field, value);
            case Section::kFile:
                return FileField(field, value);
        }
        return false;
    }

    bool Finish() {
        if (!EndSection() || !(haveTitle_ || Fail("no title given"))) return false;
        // Records may name directories declared after them: checked at the end.
        for (std::size_t i = 0; i < content_.files.size(); ++i) {
            const int32_t id = content_.files[i].directoryId;
            bool known = !kqp::IsPatchDirectoryId(id);
            for (const DirectoryItem& dir : content_.directories) known = known || dir.id == id;
            if (!known) {
                error_ = "line " + std::to_string(fileLines_[i]) + ": no directory has id " +
                         std::to_string(id);
                return false;
            }
        }
        return true;
    }

    void SetLine(int line) { line_ = line; }
    const std::string& error() const { return error_; }

  private:
    bool Fail(const std::string& message) {
        error_ = "line " + std::to_string(line_) + ": " + message;
        return false;
    }

    bool TitleField(const std::string& field, std::string_view value) {
        if (field != "title") return Fail("unknown field '" + field + "' before the first section");
        if (haveTitle_) return Fail("a second title");
        content_.title = value;
        haveTitle_ = true;
        return true;
    }

    bool StartSection(Section section) {
        if (!EndSection()) return false;
        if (!haveTitle_) return Fail("the title must come first");
        section_ = section;
        sectionLine_ = line_;
        seen_.clear();
        if (section == Section::kDirectory) content_.directories.emplace_back();
        if (section == Section::kFile) {
            content_.files.emplace_back();
            fileLines_.push_back(line_);
        }
        return true;
    }

    bool SectionFail(const std::string& message) {
        error_ = "line " + std::to_string(sectionLine_) + ": " + message;
        return false;
    }

    // Checks that the section just ended has what it needs.
    bool EndSection() {
        const auto missing = [&](const char* field) {
            return SectionFail(std::string("section without '") + field + "'");
        };
        if (section_ == Section::kDirectory) {
            for (const char* field : {"id", "kind", "key"}) {
                if (!seen_.contains(field)) return missing(field);
            }
            if (content_.directories.back().kind == 2 && !seen_.contains("root"))
                return missing("root");
            if (!kqp::IsPatchDirectoryId(content_.directories.back().id)) {
                return SectionFail("ids -1 and -2 are the Windows and System directories'");
            }
        } else if (section_ == Section::kFile) {
            for (const char* field : {"directory", "name", "operation"}) {
                if (!seen_.contains(field)) return missing(field);
            }
            const FileItem& file = content_.files.back();
            if (file.operation == 3 && seen_.contains("source")) {
                return SectionFail("a remove record takes no source");
            }
            // The applier's own rules; the payload's size is checked when written.
            if (const char* problem = kqp::RecordProblem(file.operation, 0, file.name)) {
                return SectionFail(problem);
            }
        }
        return true;
    }

    bool Seen(const std::string& field) {
        if (field != "description" && !seen_.insert(field).second) {
            return Fail("'" + field + "' given twice");
        }
        seen_.insert(field);
        return true;
    }

    bool DirectoryField(const std::string& field, std::string_view value) {
        DirectoryItem& dir = content_.directories.back();
        if (field == "id") {
            const auto id = Number(value, std::numeric_limits<int32_t>::min(),
                                   std::numeric_limits<int32_t>::max());
            if (!id) return Fail("id must be a 32-bit number");
            dir.id = static_cast<int32_t>(*id);
        } else if (field == "kind") {
            const auto kind = WordOrNumber(value, {{"SEARCH", 1}, {"REGISTRY", 2}}, -128, 127);
            if (!kind) return Fail("kind must be registry, search or a number -128..127");
            dir.kind = static_cast<int8_t>(*kind);
        } else if (field == "key") {
            dir.key = value;
        } else if (field == "name") {
            dir.name = std::string(value);
        } else if (field == "root") {
            const auto root = WordOrNumber(value,
                                           {{"HKCR", 0},
                                            {"HKEY_CLASSES_ROOT", 0},
                                            {"HKCU", 1},
                                            {"HKEY_CURRENT_USER", 1},
                                            {"HKLM", 2},
                                            {"HKEY_LOCAL_MACHINE", 2},
                                            {"HKU", 3},
                                            {"HKEY_USERS", 3},
                                            {"HKCC", 4},
                                            {"HKEY_CURRENT_CONFIG", 4},
                                            {"HKDD", 5},
                                            {"HKEY_DYN_DATA", 5}},
                                           -128, 127);
            if (!root) return Fail("root must be a registry root name or a number -128..127");
            dir.root = static_cast<int8_t>(*root);
        } else {
            return Fail("unknown field '" + field + "' in [directory]");
        }
        return Seen(field);
    }

    bool FileField(const std::string& field, std::string_view value) {
        FileItem& file = content_.files.back();
        if (field == "directory") {
            const auto id = WordOrNumber(value, {{"WINDOWS", -1}, {"SYSTEM", -2}},
                                         std::numeric_limits<int32_t>::min(),
                                         std::numeric_limits<int32_t>::max());
            if (!id) return Fail("directory must be windows, system or a 32-bit number");
            file.directoryId = static_cast<int32_t>(*id);
        } else if (field == "name") {
            file.name = value;
        } else if (field == "operation") {
            const auto op =
                WordOrNumber(value, {{"REPLACE", 1}, {"ADD", 2}, {"REMOVE", 3}}, -128, 127);
            if (!op) return Fail("operation must be replace, add, remove or a number -128..127");
            file.operation = static_cast<int8_t>(*op);
        } else if (field == "description") {
            if (file.description) {
                file.description->append("\n").append(value);
            } else {
                file.description = std::string(value);
            }
        } else if (field == "key-byte") {
            const auto key = Number(value, 0, 255);
            if (!key) return Fail("key-byte must be a number 0..255");
            file.keyByte = static_cast<uint8_t>(*key);
        } else if (field == "source") {
            const std::filesystem::path source = baseDir_ / std::filesystem::path(value);
            if (!ReadSource(source, file.payload)) {
                return Fail("cannot read source '" + source.string() + "'");
            }
        } else {
            return Fail("unknown field '" + field + "' in [file]");
        }
        return Seen(field);
    }

    std::filesystem::path baseDir_;
    PatchContent& content_;
    Section section_ = Section::kNone;
    bool haveTitle_ = false;
    int line_ = 0;
    int sectionLine_ = 0;
    std::set<std::string> seen_;
    std::vector<int> fileLines_;
    std::string error_;
};

}  // namespace

bool ParseManifest(std::string_view text, const std::filesystem::path& baseDir,
                   PatchContent& content, std::string& error) {
    content = PatchContent{};
    Parser parser(baseDir, content);
    int lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        parser.SetLine(++lineNumber);
        if (!parser.Line(line)) {
            error = parser.error();
            return false;
        }
    }
    if (!parser.Finish()) {
        error = parser.error();
        return false;
    }
    return true;
}

}  // namespace kqpmake

// The folders under src/ stand in layers, and an #include may only point to its own layer or
// one below it, so that each folder can be read and tested with only what lies beneath it.
// A pure codec (a codec/ folder) may include only other codecs: they take no Qt and no state.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Lowest first. `core` may use `ui` (its roles are UI roles), never the other way round: the
// UI layer knows nothing of instruments.
const std::map<std::string, int> kLayerOf = {
    {"ui", 0},       {"core", 1},     {"link", 2},     {"live", 3}, {"files", 4}, {"chart", 4},
    {"analysis", 4}, {"radiocfg", 4}, {"wiredcfg", 4}, {"app", 5},  {"cli", 5},   {"sim", 5},
};

struct Violation {
    std::string file; // relative to src/
    int line;
    std::string text;
};

std::string FolderOf(const std::string& relativePath) {
    return relativePath.substr(0, relativePath.find('/'));
}

bool IsCodec(const std::string& relativePath) {
    return relativePath.find("/codec/") != std::string::npos;
}

// Why `includer` may not include `included` (both relative to src/), or nothing when it may.
std::optional<std::string> Refusal(const std::string& includer, const std::string& included) {
    const auto from = kLayerOf.find(FolderOf(includer));
    const auto to = kLayerOf.find(FolderOf(included));
    if (from == kLayerOf.end())
        return "folder \"" + FolderOf(includer) + "\" has no place in the layer order";
    if (to == kLayerOf.end())
        return "folder \"" + FolderOf(included) + "\" has no place in the layer order";
    if (to->second > from->second)
        return "\"" + from->first + "\" may not include the higher layer \"" + to->first + "\"";
    if (IsCodec(includer) && !IsCodec(included)) return "a codec may include only other codecs";
    return std::nullopt;
}

std::vector<Violation> FindUpwardIncludes(const fs::path& srcRoot) {
    static const std::regex kProjectInclude(R"(^\s*#\s*include\s*"([a-z]+/[^"]+)\")");
    std::vector<Violation> found;
    for (const auto& entry : fs::recursive_directory_iterator(srcRoot)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp")) continue;
        const std::string includer = fs::relative(entry.path(), srcRoot).generic_string();
        std::ifstream in(entry.path());
        std::string text;
        for (int line = 1; std::getline(in, text); ++line) {
            std::smatch match;
            if (!std::regex_search(text, match, kProjectInclude)) continue;
            if (const auto why = Refusal(includer, match[1].str()))
                found.push_back({includer, line, *why});
        }
    }
    return found;
}

std::string Describe(const std::vector<Violation>& violations) {
    std::string out;
    for (const Violation& v : violations)
        out += "src/" + v.file + ":" + std::to_string(v.line) + ": " + v.text + "\n";
    return out;
}

TEST(IncludeOrder, EveryIncludeOfTheProgramPointsDown) {
    const std::vector<Violation> violations = FindUpwardIncludes(UNDARIX_SOURCE_DIR);
    EXPECT_TRUE(violations.empty()) << Describe(violations);
}

// The checker itself, on a small tree written for the purpose.
class IncludeOrderChecker : public ::testing::Test {
protected:
    void SetUp() override {
        root =
            fs::temp_directory_path() /
            ("undarix-layers-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
    }
    void TearDown() override { fs::remove_all(root); }

    void Write(const std::string& relativePath, const std::string& text) {
        fs::create_directories((root / relativePath).parent_path());
        std::ofstream(root / relativePath) << text;
    }

    fs::path root;
};

TEST_F(IncludeOrderChecker, NamesTheFileAndLineOfEachWrongInclude) {
    struct Case {
        const char* includer;
        const char* included;
        bool allowed;
    };
    const Case cases[] = {
        {"link/A.cpp", "live/B.h", false},            // one layer up
        {"core/A.h", "link/B.h", false},              // the bottom reaching up
        {"ui/A.cpp", "core/B.h", false},              // the UI layer knows no instrument
        {"live/A.cpp", "app/B.h", false},             // the top
        {"files/A.cpp", "link/codec/B.h", true},      // two layers down
        {"chart/A.cpp", "analysis/B.h", true},        // the same layer
        {"core/A.h", "ui/B.h", true},                 // core names UI roles
        {"cli/A.cpp", "app/B.h", true},               // the top may use the top
        {"link/codec/A.cpp", "core/codec/B.h", true}, // codec to a lower codec
        {"link/codec/A.cpp", "core/B.h", false},      // a codec never reaches program state
        {"newdir/A.cpp", "ui/B.h", false},            // a folder must be given a place
        {"ui/A.cpp", "newdir/B.h", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.includer) + " -> " + c.included);
        fs::remove_all(root);
        Write(c.includer, "#pragma once\n\n// a comment\n#include \"" + std::string(c.included) +
                              "\"\n#include <vector>\n");
        const std::vector<Violation> violations = FindUpwardIncludes(root);
        if (c.allowed) {
            EXPECT_TRUE(violations.empty()) << Describe(violations);
        } else {
            ASSERT_EQ(violations.size(), 1u);
            EXPECT_EQ(violations[0].file, c.includer);
            EXPECT_EQ(violations[0].line, 4);
        }
    }
}

TEST_F(IncludeOrderChecker, ReadsOnlyProjectIncludesOfSourceFiles) {
    Write("link/A.cpp", "#include <live/B.h>\n// #include \"live/B.h\" in a comment\n"
                        "#include \"Local.h\"\n");
    Write("link/notes.txt", "#include \"app/B.h\"\n");
    Write("link/C.h", "  #  include \"live/D.h\"\n");
    const std::vector<Violation> violations = FindUpwardIncludes(root);
    ASSERT_EQ(violations.size(), 1u) << Describe(violations);
    EXPECT_EQ(violations[0].file, "link/C.h");
}

} // namespace

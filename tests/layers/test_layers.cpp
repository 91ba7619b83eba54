// The layers hold: each folder of src/ includes only what sits at or below it. The #include
// lines are read from the sources themselves, so an include that points up a layer fails here
// with its file and line, whether or not the build happens to compile it.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kSource = LUM_SOURCE_DIR "/src";
const fs::path kWidgetHeaders = LUM_QTWIDGETS_DIR;

const std::set<std::string> kWindowFolders = {"dialogs", "port",  "app",    "scheme",
                                              "network", "clock", "report", "monitor"};

struct Include {
    int line = 0;
    std::string name;
    bool quoted = false;
};

struct Rule {
    std::string folder;
    std::set<std::string> forbiddenFolders;
    bool onlyOwnFolder = false; // nothing from any other folder of src/
    bool noQt = false;
    bool noWidgets = false;
};

std::vector<Include> IncludesOf(const fs::path& file) {
    static const std::regex line(R"(^\s*#\s*include\s*([<"])([^">]+)[">])");
    std::vector<Include> found;
    std::ifstream in(file);
    std::string text;
    for (int number = 1; std::getline(in, text); ++number) {
        std::smatch m;
        if (std::regex_search(text, m, line))
            found.push_back({number, m[2].str(), m[1].str() == "\""});
    }
    return found;
}

// The folder of src/ an include names, or empty when it is no file of src/ (a system or
// generated header). A quoted name is looked up beside the including file first.
std::string FolderOf(const Include& include, const fs::path& from) {
    std::vector<fs::path> candidates;
    if (include.quoted)
        candidates.push_back(from.parent_path() / include.name);
    candidates.push_back(kSource / include.name);
    for (const fs::path& c : candidates) {
        std::error_code error;
        if (!fs::is_regular_file(c, error))
            continue;
        const fs::path relative = fs::weakly_canonical(c).lexically_relative(kSource);
        if (relative.empty() || *relative.begin() == "..")
            continue;
        return std::distance(relative.begin(), relative.end()) > 1 ? relative.begin()->string()
                                                                   : std::string(".");
    }
    return {};
}

bool IsQtHeader(const Include& include) {
    if (include.quoted)
        return false;
    const std::string& n = include.name;
    return (!n.empty() && n[0] == 'Q') || std::regex_match(n, std::regex(R"(q[a-z0-9_]*\.h)"));
}

bool IsWidgetHeader(const Include& include) {
    if (include.quoted)
        return false;
    const std::string& n = include.name;
    if (n.rfind("QtWidgets", 0) == 0)
        return true;
    std::error_code error;
    return n.find('/') == std::string::npos && fs::exists(kWidgetHeaders / n, error);
}

// Every include of the folder that breaks its rule, as "file:line: name".
std::vector<std::string> Breaches(const Rule& rule) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(kSource / rule.folder)) {
        const fs::path& file = entry.path();
        if (!entry.is_regular_file() || (file.extension() != ".h" && file.extension() != ".cpp"))
            continue;
        for (const Include& include : IncludesOf(file)) {
            const std::string folder = FolderOf(include, file);
            const bool breach = rule.forbiddenFolders.count(folder) > 0 ||
                                (rule.onlyOwnFolder && include.quoted && folder != rule.folder) ||
                                (rule.noQt && IsQtHeader(include)) ||
                                (rule.noWidgets && IsWidgetHeader(include));
            if (breach)
                found.push_back(file.lexically_relative(LUM_SOURCE_DIR).string() + ":" +
                                std::to_string(include.line) + ": " + include.name);
        }
    }
    return found;
}

std::set<std::string> WindowsAnd(std::set<std::string> more) {
    more.insert(kWindowFolders.begin(), kWindowFolders.end());
    return more;
}

class Layers : public ::testing::TestWithParam<Rule> {};

TEST_P(Layers, IncludeNothingFromAbove) {
    const Rule& rule = GetParam();
    ASSERT_TRUE(fs::is_directory(kSource / rule.folder)) << kSource / rule.folder;
    const std::vector<std::string> breaches = Breaches(rule);
    std::string text;
    for (const std::string& b : breaches)
        text += "\n  " + b;
    EXPECT_TRUE(breaches.empty()) << "src/" << rule.folder
                                  << " includes from above its layer:" << text;
}

INSTANTIATE_TEST_SUITE_P(
    Src, Layers,
    ::testing::Values(Rule{"model", {}, true, true, true},
                      Rule{"link", WindowsAnd({"platform"}), false, true, true},
                      Rule{"platform", WindowsAnd({}), false, false, true},
                      Rule{"emu", WindowsAnd({"link"}), false, false, true},
                      Rule{"emuserver", WindowsAnd({"link"}), false, false, true},
                      Rule{"cli", WindowsAnd({}), false, false, true}),
    [](const ::testing::TestParamInfo<Rule>& info) { return info.param.folder; });

// The check itself: it sees an include that climbs a layer, however it is spelled, and lets
// system headers alone.
TEST(LayerCheck, TellsIncludesApart) {
    const fs::path file = kSource / "link" / "exchangeengine.cpp";
    EXPECT_EQ(FolderOf({1, "app/mainwindow.h", true}, file), "app");
    EXPECT_EQ(FolderOf({1, "../clock/clockwindow.h", true}, file), "clock");
    EXPECT_EQ(FolderOf({1, "exchangeengine.h", true}, file), "link");
    EXPECT_EQ(FolderOf({1, "vector", false}, file), "");
    EXPECT_TRUE(IsQtHeader({1, "QString", false}));
    EXPECT_TRUE(IsQtHeader({1, "qglobal.h", false}));
    EXPECT_FALSE(IsQtHeader({1, "queue", false}));
    EXPECT_TRUE(IsWidgetHeader({1, "QPushButton", false}));
    EXPECT_TRUE(IsWidgetHeader({1, "QtWidgets/QWidget", false}));
    EXPECT_FALSE(IsWidgetHeader({1, "QSerialPort", false}));
}

// Names say what things are: no file keeps an old unit name, and no identifier an old unit's
// class, a numbered widget or a transliterated word. Strings and comments are not names.
TEST(Names, NoOldUnitNames) {
    static const std::regex oldFile(
        R"(^(obr|prog_|pan|comportclass|servclass|proglumclass|progf15class|reservblocks).*)");
    static const std::regex oldName(
        R"(\b(T(Form|Pan|ServClass|ProgLumClass|ProgF15Class|ComPortClass|Inform|FPSW|Config)\w*)"
        R"(|(Button|Label|Edit|Timer|Panel|CheckBox|ComboBox|BitBtn|Shape|Memo|CBox\w*)\d+)"
        R"(|(Kol|Adr|Tip|Kod|Zader|Rele|Zvuk|Arhiv|Kvit|Sbros|Dostup|Flag|Ustr|Nastr|Vh|Vkl)[A-Z]\w*)\b)"
        R"(|(^|[^.\w])(serv|lum|parol|zader|rele|dostup|vh)\b)");
    static const std::regex stringsAndComments(R"("([^"\\]|\\.)*"|//.*)");
    std::string found;
    for (const auto& entry : fs::recursive_directory_iterator(kSource)) {
        const fs::path& file = entry.path();
        if (!entry.is_regular_file() || (file.extension() != ".h" && file.extension() != ".cpp"))
            continue;
        const std::string where = file.lexically_relative(LUM_SOURCE_DIR).string();
        if (std::regex_match(file.filename().string(), oldFile))
            found += "\n  " + where;
        std::ifstream in(file);
        std::string text;
        for (int number = 1; std::getline(in, text); ++number) {
            const std::string code = std::regex_replace(text, stringsAndComments, "\"\"");
            std::smatch m;
            if (std::regex_search(code, m, oldName))
                found += "\n  " + where + ":" + std::to_string(number) + ": " + m.str();
        }
    }
    EXPECT_TRUE(found.empty()) << "old names:" << found;
    for (const char* old :
         {"TFormPrgD* f;", "Button1->hide();", "int KolMod;", "lum.PutDelay(0, 1);"})
        EXPECT_TRUE(std::regex_search(old, oldName)) << old;
    EXPECT_FALSE(std::regex_search("name + \".lum\"; doc.program.PutDelay(0, 1);", oldName));
}

} // namespace

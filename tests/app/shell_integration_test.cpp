// The image window and the desktop: the wallpaper (through gsettings with its
// keyfile back end, and the command lines of the other desktops), the
// visited-folder log, help topics and the program look-up.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QUrl>

#include "app/DesktopWallpaper.h"
#include "app/FileAssociations.h"
#include "state/ViewerSettings.h"
#include "app/lumv8900.h"
#include "platform/Folders.h"
#include "platform/HtmlHelp.h"
#include "platform/Menus.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/picture_compare.h"
#include "shell/StBrowser.h"
#include "ui/MeOpenDialogEx.h"
#include "ui/VListShowEx.h"
#include "ui/listdlg_y.h"
#include "ui/Pix.h"

#include "app_test_tools.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;

namespace {

// ---- Desktops and their commands

struct KindCase {
    const char* value;
    TDesktopKind kind;
};

// The case's name: the desktop named, "None" for no name.
const char* DesktopName(const KindCase& c) { return *c.value ? c.value : "None"; }

class DesktopKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(DesktopKindTest, NamedByCurrentDesktop) { EXPECT_EQ(DesktopKindOf(GetParam().value), GetParam().kind); }

INSTANTIATE_TEST_SUITE_P(
    Values, DesktopKindTest,
    ::testing::Values(KindCase{"GNOME", TDesktopKind::Gnome}, KindCase{"ubuntu:GNOME", TDesktopKind::Gnome},
                      KindCase{"Unity", TDesktopKind::Gnome}, KindCase{"Budgie:GNOME", TDesktopKind::Gnome},
                      KindCase{"Pantheon", TDesktopKind::Gnome}, KindCase{"X-Cinnamon", TDesktopKind::Cinnamon},
                      KindCase{"MATE", TDesktopKind::Mate}, KindCase{"KDE", TDesktopKind::Plasma},
                      KindCase{"XFCE", TDesktopKind::Xfce}, KindCase{"LXQt", TDesktopKind::Unknown},
                      KindCase{"", TDesktopKind::Unknown}),
    test::CaseNames<&DesktopName>);

class RecordingRunner {
public:
    RecordingRunner() {
        RunDesktopCommand = [this](const TDesktopCommand& command, std::string& output) {
            commands.push_back(command);
            output = command.Program == "xfconf-query" && command.Arguments.back() == "-l" ? listing : "";
            return 0;
        };
    }
    ~RecordingRunner() { RunDesktopCommand = nullptr; }
    std::vector<TDesktopCommand> commands;
    std::string listing;
};

TEST(WallpaperCommands, GsettingsKeysOfEachDesktop) {
    const std::string file = "/home/u/it's here/VO_Wallpaper.Bmp";
    const std::string uri = "'file:///home/u/it\\'s%20here/VO_Wallpaper.Bmp'";
    EXPECT_EQ(WallpaperCommands(TDesktopKind::Gnome, file),
              (std::vector<TDesktopCommand>{
                  {"gsettings", {"set", "org.gnome.desktop.background", "picture-uri", uri}},
                  {"gsettings", {"set", "org.gnome.desktop.background", "picture-uri-dark", uri}}}));
    EXPECT_EQ(WallpaperCommands(TDesktopKind::Cinnamon, file),
              (std::vector<TDesktopCommand>{
                  {"gsettings", {"set", "org.cinnamon.desktop.background", "picture-uri", uri}}}));
    EXPECT_EQ(WallpaperCommands(TDesktopKind::Mate, file),
              (std::vector<TDesktopCommand>{
                  {"gsettings", {"set", "org.mate.background", "picture-filename", "'/home/u/it\\'s here/VO_Wallpaper.Bmp'"}}}));
    // Clearing writes empty values.
    EXPECT_EQ(WallpaperCommands(TDesktopKind::Mate, ""),
              (std::vector<TDesktopCommand>{{"gsettings", {"set", "org.mate.background", "picture-filename", "''"}}}));
    EXPECT_TRUE(WallpaperCommands(TDesktopKind::Unknown, file).empty());
}

TEST(WallpaperCommands, PlasmaScriptsEveryDesktop) {
    const auto commands = WallpaperCommands(TDesktopKind::Plasma, "/pics/VO_Wallpaper.Bmp");
    ASSERT_EQ(commands.size(), 1u);
    const std::vector<std::string> head{"call", "--session", "--dest", "org.kde.plasmashell", "--object-path",
                                        "/PlasmaShell", "--method", "org.kde.PlasmaShell.evaluateScript"};
    EXPECT_EQ(commands[0].Program, "gdbus");
    ASSERT_EQ(commands[0].Arguments.size(), head.size() + 1);
    EXPECT_TRUE(std::equal(head.begin(), head.end(), commands[0].Arguments.begin()));
    const std::string script = commands[0].Arguments.back();
    EXPECT_NE(script.find("desktops()"), std::string::npos);
    EXPECT_NE(script.find("d.wallpaperPlugin = \"org.kde.image\";"), std::string::npos);
    EXPECT_NE(script.find("d.writeConfig(\"Image\", \"file:///pics/VO_Wallpaper.Bmp\");"), std::string::npos) << script;
}

TEST(WallpaperCommands, XfceSetsEveryLastImage) {
    RecordingRunner runner;
    runner.listing = "/backdrop/screen0/monitor0/image-style\n"
                     "/backdrop/screen0/monitor0/workspace0/last-image\n"
                     "/backdrop/screen0/monitorHDMI-1/workspace1/last-image\n"
                     "/desktop-icons/style\n";
    const auto commands = WallpaperCommands(TDesktopKind::Xfce, "/pics/w.bmp");
    EXPECT_EQ(runner.commands, (std::vector<TDesktopCommand>{{"xfconf-query", {"-c", "xfce4-desktop", "-l"}}}));
    EXPECT_EQ(commands,
              (std::vector<TDesktopCommand>{
                  {"xfconf-query",
                   {"-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitor0/workspace0/last-image", "-s", "/pics/w.bmp"}},
                  {"xfconf-query",
                   {"-c", "xfce4-desktop", "-p", "/backdrop/screen0/monitorHDMI-1/workspace1/last-image", "-s",
                    "/pics/w.bmp"}}}));
}

// ---- The window's commands

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old, had_ = true;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (had_)
            ::setenv(name_, old_.c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

class ShellWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        SetStrictModalRuns(true);
        RecentPath.clear();
        SlideshowRunning = false;
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        ViewerControls.SetInt(vc::LogVisited, 1);
    }
    void TearDown() override {
        SlideshowRunning = false;
        WebForm->mnuQuit->Tag = 1;
        test::FreeWindows();
        OpenHelpPage = nullptr;
    }

    // Shows a width x height picture of stripes.
    void ShowPicture(int width, int height) {
        TBitmap picture;
        picture.SetPixelFormat(pf24bit);
        picture.SetSize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = picture.ScanLine(y) + 3 * x;
                p[0] = uint8_t(x * 7), p[1] = uint8_t(y * 3), p[2] = uint8_t((x + y) & 0xFF);
            }
        WebForm->Daz95->SetBitmap(&picture);
        ImageWidth = width, ImageHeight = height, ImageBitCount = 24;
        FileName = ProgramFolder() + "stripes.bmp";
    }
    std::vector<uint8_t> ShownPixels() const {
        TBitmap& b = *WebForm->Daz95->Bitmap();
        std::vector<uint8_t> pixels;
        for (int y = 0; y < b.Height(); ++y)
            pixels.insert(pixels.end(), b.ScanLine(y), b.ScanLine(y) + 3 * b.Width());
        return pixels;
    }
    std::string Settings(const std::string& key) {
        std::string value = test::CommandOutput("gsettings get org.gnome.desktop.background " + key + " 2>&1");
        while (!value.empty() && value.back() == '\n')
            value.pop_back();
        return value;
    }
};

TEST_F(ShellWindowTest, WallpaperThroughGsettingsAndClearedAgain) {
    const ScopedEnv desktop("XDG_CURRENT_DESKTOP", "GNOME");
    const ScopedEnv backend("GSETTINGS_BACKEND", "keyfile");
    const ScopedEnv config("XDG_CONFIG_HOME", ProgramFolder() + "config");

    // A picture narrower than 129 pixels is left alone.
    ShowPicture(128, 90);
    WebForm->mnuWallpaperSet1->trigger();
    EXPECT_FALSE(FileExists(WallpaperFileName()));
    const std::string keyfile = ProgramFolder() + "config/glib-2.0/settings/keyfile";
    EXPECT_FALSE(FileExists(keyfile));

    ShowPicture(1000, 200);
    const std::vector<uint8_t> before = ShownPixels();
    WebForm->mnuWallpaperSet1->trigger();
    EXPECT_EQ(UnansweredModalRuns(), 0);
    const std::string file = WallpaperFileName();
    EXPECT_EQ(file, ProgramFolder() + "VO_Wallpaper.Bmp");
    ASSERT_TRUE(FileExists(file));
    TSize fitted;
    FitSizeInBox(1000, 200, Screen.Width(), Screen.Height(), fitted);
    const std::string size = test::CommandOutput(
        "/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + file + "'); print(im.size[0], im.size[1], im.mode)\"");
    EXPECT_EQ(size, std::to_string(fitted.cx) + " " + std::to_string(fitted.cy) + " RGB\n");
    const std::string uri = "'" + QUrl::fromLocalFile(QString::fromStdString(file)).toString().toStdString() + "'";
    EXPECT_EQ(Settings("picture-uri"), uri);
    EXPECT_EQ(Settings("picture-uri-dark"), uri);
    // The picture shown is the one it was.
    EXPECT_EQ(WebForm->Daz95->Bitmap()->Width(), 1000);
    EXPECT_EQ(ShownPixels(), before);
    EXPECT_EQ(ImageWidth, 1000);

    WebForm->mnuWallpaperClear1->trigger();
    EXPECT_EQ(Settings("picture-uri"), "''");
    EXPECT_EQ(Settings("picture-uri-dark"), "''");
}

TEST_F(ShellWindowTest, WallpaperOnAnUnknownDesktopIsRefused) {
    const ScopedEnv desktop("XDG_CURRENT_DESKTOP", "SomethingElse");
    RecordingRunner runner;
    ShowPicture(300, 200);
    std::vector<std::string> messages;
    for (int i = 0; i < 2; ++i)
        QueueModalAction([&](QDialog& d) {
            auto* text = d.findChild<QLabel*>("Message");
            messages.push_back(text ? text->text().toStdString() : "?");
            d.done(mrOk);
        });
    WebForm->mnuWallpaperSet1->trigger();
    WebForm->mnuWallpaperClear1->trigger();
    EXPECT_EQ(messages, std::vector<std::string>(2, "Setting the wallpaper is not supported on this desktop."));
    EXPECT_FALSE(FileExists(WallpaperFileName()));
    EXPECT_TRUE(runner.commands.empty());
}

TEST_F(ShellWindowTest, PlasmaRunnerGetsTheScript) {
    const ScopedEnv desktop("XDG_CURRENT_DESKTOP", "KDE");
    RecordingRunner runner;
    ShowPicture(300, 200);
    WebForm->mnuWallpaperSet1->trigger();
    ASSERT_EQ(runner.commands.size(), 1u);
    EXPECT_EQ(runner.commands[0], WallpaperCommands(TDesktopKind::Plasma, WallpaperFileName())[0]);
    EXPECT_TRUE(FileExists(WallpaperFileName()));
}

// ---- The visited-folder log

std::vector<std::string> Links(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string() + " -> " +
                        (entry.is_symlink() ? std::filesystem::read_symlink(entry.path()).string() : "?"));
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(ShellWindowTest, FoldersAreLinkedOncePerName) {
    const std::string folder = ProgramFolder() + "Photos/2001";
    QDir().mkpath(QString::fromStdString(folder));
    WebForm->AddToAppRecent(ExtractFilePath(folder + "/a.jpg"));
    WebForm->AddToAppRecent(ExtractFilePath(folder + "/b.jpg"));
    EXPECT_EQ(Links(RecentPath), std::vector<std::string>{"2001 in Photos -> " + folder});

    // A name over 128 characters keeps the folder's name alone; ":" turns blank.
    const std::string longParent = ProgramFolder() + std::string(125, 'p');
    const std::string inLong = longParent + "/a:b";
    QDir().mkpath(QString::fromStdString(inLong));
    EXPECT_EQ(VisitedFolderLinkName(inLong + "/"), "a b");
    EXPECT_EQ(VisitedFolderLinkName(ProgramFolder() + "x/Cats:Dogs/"), "Cats Dogs in x");
    WebForm->AddToAppRecent(inLong + "/");
    EXPECT_EQ(Links(RecentPath), (std::vector<std::string>{"2001 in Photos -> " + folder, "a b -> " + inLong}));
}

TEST_F(ShellWindowTest, NothingIsLoggedWhenOffOrDuringAShow) {
    const std::string folder = ProgramFolder() + "Trips/";
    QDir().mkpath(QString::fromStdString(folder));
    ViewerControls.SetInt(vc::LogVisited, 0);
    WebForm->AddToAppRecent(folder);
    ViewerControls.SetInt(vc::LogVisited, 1);
    SlideshowRunning = true;
    WebForm->AddToAppRecent(folder);
    EXPECT_TRUE(RecentPath.empty() || Links(RecentPath).empty());
}

TEST_F(ShellWindowTest, RecentButtonLandsWhereTheLinkLeads) {
    const std::string folder = ProgramFolder() + "Photos/2001";
    QDir().mkpath(QString::fromStdString(folder));
    test::WriteFileText(folder + "/inside.txt", "x");
    WebForm->AddToAppRecent(folder + "/");
    std::string recentDir;
    bool listed = false;
    QueueModalAction([](QDialog&) { WebForm->OpenDialogAny->FRecent()->click(); });
    QueueModalAction([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        recentDir = dialog.directory().absolutePath().toStdString();
        listed = dialog.directory().entryList(QDir::AllEntries | QDir::NoDotAndDotDot).contains("2001 in Photos");
        d.reject();
    });
    WebForm->OpenDialogAny->Filter = "All files|*";
    WebForm->OpenDialogAny->SetFileName("");
    while (!WebForm->OpenDialogAny->Execute() && WebForm->OpenDialogAny->ExecuteRecent)
        WebForm->OpenDialogAny->SetInitialDir(EnsureRecentPath());
    EXPECT_EQ(recentDir, RecentPath);
    EXPECT_TRUE(listed);
    // The link is followed into the folder.
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(RecentPath + "/2001 in Photos/inside.txt")));
}

// ---- File associations

class AssociationTest : public ShellWindowTest {
protected:
    void SetUp() override {
        ShellWindowTest::SetUp();
        data_ = std::make_unique<ScopedEnv>("XDG_DATA_HOME", ProgramFolder() + "data-home");
        config_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", ProgramFolder() + "config-home");
        desktop_ = std::make_unique<ScopedEnv>("XDG_CURRENT_DESKTOP", "");
        QDir().mkpath(QString::fromStdString(ProgramFolder() + "data-home"));
        QDir().mkpath(QString::fromStdString(ProgramFolder() + "config-home"));
    }
    void TearDown() override {
        desktop_.reset();
        config_.reset();
        data_.reset();
        ShellWindowTest::TearDown();
    }

    static std::string Run(const std::string& command) {
        std::string out = test::CommandOutput(command + " 2>&1");
        while (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out;
    }
    static std::string DefaultOf(const std::string& type) { return Run("xdg-mime query default " + type); }
    static std::string Validate(const std::string& file) {
        return Run("desktop-file-validate '" + file + "'; echo rc=$?");
    }
    // Answers the list dialog keeping the rows given (all when empty).
    void KeepRows(const std::vector<int>& rows, std::string* caption = nullptr) {
        QueueModalAction([rows, caption](QDialog& d) {
            auto& dialog = dynamic_cast<TListDlg&>(d);
            if (caption)
                *caption = d.windowTitle().toStdString();
            if (!rows.empty()) {
                dialog.VChoices->SelectRows(0, int(AssociationEntries().size()) - 1, false);
                for (int row : rows)
                    dialog.VChoices->SelectRows(row, row, true);
            }
            dialog.btnOK->click();
        });
    }
    // Answers the program browser with path ("" cancels).
    void Pick(const std::string& path, std::string* caption = nullptr, std::string* status = nullptr) {
        QueueModalAction([path, caption, status](QDialog& d) {
            if (caption)
                *caption = d.windowTitle().toStdString();
            if (status)
                for (QLabel* label : d.findChildren<QLabel*>())
                    if (label->text().startsWith("For "))
                        *status = label->text().toStdString();
            if (path.empty()) {
                d.reject();
                return;
            }
            auto* tree = d.findChild<QTreeView*>();
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            tree->setCurrentIndex(model->index(QString::fromStdString(path)));
            for (QPushButton* button : d.findChildren<QPushButton*>())
                if (button->isDefault() || button->text().contains("OK"))
                    return button->click();
            d.accept();
        });
    }
    std::string Applications() const { return ProgramFolder() + "data-home/applications/"; }

private:
    std::unique_ptr<ScopedEnv> data_, config_, desktop_;
};

TEST(Associations, EntriesExtensionsAndTypes) {
    ASSERT_EQ(AssociationEntries().size(), 12u);
    EXPECT_EQ(AssociationEntries().front(), ".AVL (Vo Slideshow)");
    EXPECT_EQ(AssociationExtensions(".BMP and .DIB (Windows Bitmaps)"), (std::vector<std::string>{".bmp", ".dib"}));
    EXPECT_EQ(AssociationExtensions(".JPG (JPEG images)"), (std::vector<std::string>{".jpg", ".jpe", ".jpeg"}));
    EXPECT_EQ(AssociationExtensions(".TIF (Tagged Image File Format)"), (std::vector<std::string>{".tif", ".tiff"}));
    EXPECT_EQ(AssociationExtensions(".WMF and .EMF (Windows MetaFile)"), (std::vector<std::string>{".wmf", ".emf"}));
    EXPECT_EQ(AssociationTypeName(".JPG (JPEG images)"), "JPG file");
    EXPECT_EQ(AssociationMimeType(".jpg"), "image/jpeg");
    EXPECT_EQ(AssociationMimeType(".avl"), "application/x-lumvor-avl");
    EXPECT_EQ(DesktopExecLine("/opt/lumvor/lumvor"), "/opt/lumvor/lumvor %f");
    EXPECT_EQ(DesktopExecLine("/opt/my apps/50%/lum\"vor"), "\"/opt/my apps/50%%/lum\\\\\"vor\" %f");
}

TEST_F(AssociationTest, SetMakesTheProgramTheOpenerOfEveryKeptType) {
    std::string caption;
    KeepRows({}, &caption);
    WebForm->mnuAssociations->trigger();
    EXPECT_EQ(caption, "Set File Associations");
    const std::string desktop = Applications() + "lumvor.desktop";
    EXPECT_EQ(Validate(desktop), "rc=0");
    std::vector<std::string> types{"image/jpeg", "image/png", "image/bmp", "image/tiff"};
    for (const char* extension : {".pcx", ".tga", ".psd", ".pcd"})
        types.push_back(AssociationMimeType(extension));
    for (const std::string& type : types)
        EXPECT_EQ(DefaultOf(type), "lumvor.desktop") << type;
    // The program's own type of ".avl", compiled into the user's database.
    const std::string globs = test::ReadFileText(ProgramFolder() + "data-home/mime/globs2");
    EXPECT_NE(globs.find("application/x-lumvor-avl:*.avl"), std::string::npos) << globs;
    EXPECT_EQ(DefaultOf("application/x-lumvor-avl"), "lumvor.desktop");
}

TEST_F(AssociationTest, RemovedEntriesAndCancelLeaveTypesAlone) {
    test::WriteFileText(ProgramFolder() + "config-home/mimeapps.list",
                        "[Added Associations]\nimage/gif=gimp.desktop;\n\n[Default Applications]\nimage/png=gimp.desktop;\n");
    // Cancel writes nothing.
    QueueModalResult(QDialog::Rejected);
    WebForm->mnuAssociations->trigger();
    EXPECT_FALSE(FileExists(Applications() + "lumvor.desktop"));

    // Only JPG kept: PNG keeps its program.
    KeepRows({4});
    WebForm->mnuAssociations->trigger();
    EXPECT_EQ(DefaultApplications("image/jpeg"), std::vector<std::string>{"lumvor.desktop"});
    EXPECT_EQ(DefaultApplications("image/png"), std::vector<std::string>{"gimp.desktop"});
    EXPECT_TRUE(DefaultApplications("image/bmp").empty());
    const std::string list = test::ReadFileText(ProgramFolder() + "config-home/mimeapps.list");
    EXPECT_NE(list.find("[Added Associations]\nimage/gif=gimp.desktop;\n"), std::string::npos) << list;
}

TEST_F(AssociationTest, ChangeHandsTypesToTheProgramPicked) {
    // A desktop file for JPG.
    QDir().mkpath(QString::fromStdString(Applications()));
    const std::string viewer = Applications() + "viewer.desktop";
    test::WriteFileText(viewer, "[Desktop Entry]\nType=Application\nName=Viewer\nExec=/bin/cat %f\n"
                                "MimeType=image/jpeg;\n");
    std::string caption, status;
    KeepRows({4});
    Pick(viewer, &caption, &status);
    WebForm->mnuAssociationsClear->trigger();
    EXPECT_EQ(caption, "Select Associated App for JPG file");
    EXPECT_EQ(status, "For JPG, a web browser's .desktop file in /usr/share/applications");
    EXPECT_EQ(DefaultOf("image/jpeg"), "viewer.desktop") << test::ReadFileText(ProgramFolder() + "config-home/mimeapps.list");

    // An executable for BMP gets a desktop file of its own.
    const std::string program = ProgramFolder() + "my tools/paint box";
    test::WriteFileText(program, "#!/bin/sh\n");
    QFile::setPermissions(QString::fromStdString(program), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    KeepRows({1});
    Pick(program, nullptr, &status);
    WebForm->mnuAssociationsClear->trigger();
    EXPECT_EQ(status, "For BMP, a paint program's .desktop file in /usr/share/applications");
    EXPECT_EQ(DefaultOf("image/bmp"), "lumvor-open-paint_box.desktop");
    EXPECT_EQ(Validate(Applications() + "lumvor-open-paint_box.desktop"), "rc=0");
}

TEST_F(AssociationTest, ChangeThenCancelledPickLeavesNoOpener) {
    KeepRows({});
    WebForm->mnuAssociations->trigger();
    ASSERT_EQ(DefaultOf("image/jpeg"), "lumvor.desktop");
    KeepRows({4});
    Pick("");
    WebForm->mnuAssociationsClear->trigger();
    EXPECT_NE(DefaultOf("image/jpeg"), "lumvor.desktop");
    EXPECT_TRUE(DefaultApplications("image/jpeg").empty());
    EXPECT_EQ(DefaultOf("image/png"), "lumvor.desktop");
    EXPECT_EQ(Validate(Applications() + "lumvor.desktop"), "rc=0");
}

// ---- Help and programs

TEST_F(ShellWindowTest, HelpTopicsReachTheHelpService) {
    QDir().mkpath(QString::fromStdString(HelpFileName));
    for (const char* page : {"/600.html", "/index.html"}) {
        QFile file(QString::fromStdString(HelpFileName + page));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    std::vector<std::string> opened;
    OpenHelpPage = [&opened](const QUrl& url) {
        opened.push_back(QFileInfo(url.toLocalFile()).fileName().toStdString());
        return true;
    };
    EXPECT_TRUE(Application.HelpContext(600));
    EXPECT_TRUE(Application.HelpContext(0));
    EXPECT_EQ(opened, (std::vector<std::string>{"600.html", "index.html"}));
}

TEST(CheckAppPath, FindsProgramsOnThePath) {
    EXPECT_TRUE(CheckAppPath("sh"));
    EXPECT_FALSE(CheckAppPath("no-such-program-lumvor-xyz"));
    EXPECT_FALSE(CheckAppPath(""));
}

}  // namespace

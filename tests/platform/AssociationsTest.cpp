// The program that opens a file, in a private desktop world: an application set as
// default in mimeapps.list, one known only from mimeinfo.cache, no system entries.
#include "platform/TempDir.h"
#include "platform/LinuxPlatform.h"

#include "SelfExec.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

using namespace kex;
namespace fs = std::filesystem;

namespace {

TEST(AssociationsTest, MissingFileAndExecutablesNeedNoDesktop)
{
    TempDir tmp;
    const fs::path tool = tmp.path() / "bin" / "my tool";
    Write(tool, "#!/bin/sh\n", 0755);
    LinuxPlatform platform;
    std::string program = "stale";

    EXPECT_EQ(platform.FindExecutable((tmp.path() / "missing.txt").string(), program), kFindFileNotFound);
    EXPECT_EQ(program, "");
    EXPECT_EQ(platform.FindExecutable("", program), kFindFileNotFound);

    EXPECT_EQ(platform.FindExecutable(tool.string(), program), kFindOk);
    EXPECT_EQ(program, tool.string());
    EXPECT_EQ(platform.FindExecutable((tmp.path() / "bin" / ".." / "bin" / "my tool").string(), program), kFindOk);
    EXPECT_EQ(program, tool.string());
}

// Runs in a child whose XDG directories form the private world built by the parent.
TEST(AssociationsTest, DISABLED_DefaultApplicationsInChild)
{
    if (!testing_child::InChild())
        GTEST_SKIP() << "runs only in the child of DefaultApplicationOfAContentType";
    const fs::path root = Env("KEX_ASSOC_ROOT");
    LinuxPlatform platform;
    std::string program;

    // A text file: the default from mimeapps.list; the program resolved through PATH.
    EXPECT_EQ(platform.FindExecutable((root / "docs" / "notes.txt").string(), program), kFindOk);
    EXPECT_EQ(program, (root / "bin" / "kexview").string());
    // Text without a name that tells the type: found by its content.
    EXPECT_EQ(platform.FindExecutable((root / "docs" / "README").string(), program), kFindOk);
    EXPECT_EQ(program, (root / "bin" / "kexview").string());
    // An image: only mimeinfo.cache names an application.
    EXPECT_EQ(platform.FindExecutable((root / "docs" / "picture.png").string(), program), kFindOk);
    EXPECT_EQ(program, (root / "bin" / "kexpaint").string());
    // No application for the type.
    EXPECT_EQ(platform.FindExecutable((root / "docs" / "data.bin").string(), program), kFindNoAssociation);
    EXPECT_EQ(program, "");
    EXPECT_EQ(platform.FindExecutable((root / "docs").string(), program), kFindNoAssociation);
    // The application's program is not on PATH: no association either.
    EXPECT_EQ(platform.FindExecutable((root / "docs" / "paper.pdf").string(), program), kFindNoAssociation);
    EXPECT_EQ(program, "");
    // An executable stays its own program, even with an association for its type.
    EXPECT_EQ(platform.FindExecutable((root / "docs" / "run.txt").string(), program), kFindOk);
    EXPECT_EQ(program, (root / "docs" / "run.txt").string());

    // The command that opens a document keeps what its desktop entry needs.
    using Argv = std::vector<std::string>;
    const std::string bin = (root / "bin").string() + "/";
    struct Case {
        const char* what;
        std::string file;
        Argv command;
    } cases[] = {
        {"plain application", "notes.txt", {bin + "kexview"}},
        {"wrapper with its arguments, the file-forwarding list left open",
         "page.html",
         {bin + "kexflat", "run", "--branch=stable", "--file-forwarding", "org.kex.Flat", "@@u"}},
        {"terminal program in $TERMINAL", "table.csv", {bin + "kexterm", "-e", bin + "kexvim", "-R"}},
        {"executable", "run.txt", {(root / "docs" / "run.txt").string()}},
        {"no application", "data.bin", {}},
        {"program not on PATH", "paper.pdf", {}},
        {"missing file", "gone.txt", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform.OpenCommand((root / "docs" / c.file).string()), c.command) << c.what;
}

TEST(AssociationsTest, DefaultApplicationOfAContentType)
{
    TempDir tmp;
    const fs::path root = tmp.path();
    const fs::path data = root / "data", config = root / "config", sysData = root / "sysdata";
    // The system's MIME database, but none of the system's applications.
    fs::create_directories(sysData);
    fs::create_directory_symlink("/usr/share/mime", sysData / "mime");
    fs::create_directories(root / "sysconfig");

    Write(root / "bin" / "kexview", "#!/bin/sh\n", 0755);
    Write(root / "bin" / "kexpaint", "#!/bin/sh\n", 0755);
    Write(data / "applications" / "kexview.desktop",
          "[Desktop Entry]\nType=Application\nName=Kex Viewer\nExec=kexview %f\nMimeType=text/plain;\n");
    Write(data / "applications" / "kexpaint.desktop",
          "[Desktop Entry]\nType=Application\nName=Kex Paint\nExec=kexpaint %U\nMimeType=image/png;\n");
    Write(data / "applications" / "kexgone.desktop",
          "[Desktop Entry]\nType=Application\nName=Gone\nExec=kexbar-no-such-reader %f\nMimeType=application/pdf;\n");
    Write(data / "applications" / "mimeinfo.cache",
          "[MIME Cache]\ntext/plain=kexview.desktop;\nimage/png=kexpaint.desktop;\napplication/pdf=kexgone.desktop;\n");
    Write(root / "bin" / "kexflat", "#!/bin/sh\n", 0755);
    Write(root / "bin" / "kexvim", "#!/bin/sh\n", 0755);
    Write(root / "bin" / "kexterm", "#!/bin/sh\n", 0755);
    Write(data / "applications" / "kexflat.desktop",
          "[Desktop Entry]\nType=Application\nName=Kex Flat\n"
          "Exec=kexflat run --branch=stable --file-forwarding org.kex.Flat @@u %U @@\nMimeType=text/html;\n");
    Write(data / "applications" / "kexvim.desktop",
          "[Desktop Entry]\nType=Application\nName=Kex Vim\nExec=kexvim -R %F\nTerminal=true\nMimeType=text/csv;\n");
    Write(config / "mimeapps.list", "[Default Applications]\ntext/plain=kexview.desktop;\n"
                                    "text/html=kexflat.desktop;\ntext/csv=kexvim.desktop;\n");
    Write(root / "docs" / "page.html", "<html><body>page</body></html>\n");
    Write(root / "docs" / "table.csv", "a,b\n1,2\n");

    Write(root / "docs" / "notes.txt", "Some notes.\n");
    Write(root / "docs" / "README", "Plain words in a file without an extension.\n");
    Write(root / "docs" / "picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    Write(root / "docs" / "data.bin", std::string("\x00\x01\x02\xff\xfe\x00\x80", 7));
    Write(root / "docs" / "paper.pdf", "%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    Write(root / "docs" / "run.txt", "#!/bin/sh\n", 0755);

    const testing_child::ChildResult child =
        testing_child::RunTestInChild("AssociationsTest.DISABLED_DefaultApplicationsInChild",
                                      {{"KEX_ASSOC_ROOT", root.string()},
                                       {"XDG_DATA_HOME", data.string()},
                                       {"XDG_CONFIG_HOME", config.string()},
                                       {"XDG_DATA_DIRS", sysData.string()},
                                       {"XDG_CONFIG_DIRS", (root / "sysconfig").string()},
                                       {"XDG_CURRENT_DESKTOP", ""},
                                       {"TERMINAL", "kexterm"},
                                       {"PATH", (root / "bin").string() + ":" + Env("PATH")}});
    EXPECT_TRUE(child.passed) << child.output;
}

} // namespace

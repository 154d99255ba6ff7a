// Writes seed corpora for the fuzz targets: <dir>/ico, <dir>/pe, <dir>/desktop, <dir>/lnk,
// <dir>/password.
#include "core/IconFileBuilder.h"
#include "core/ShellLinkBuilder.h"

#include <filesystem>
#include <fstream>
#include <string>

using namespace kex::testicons;

namespace {

void Save(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void SaveText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A password file record: flag 0, then complemented length and bytes of name and
// password.
std::string PasswordRecordBytes(const std::string& name, const std::string& password)
{
    std::string out(1, '\0');
    for (const std::string* s : {&name, &password}) {
        out += char(~static_cast<unsigned char>(s->size()));
        for (char c : *s)
            out += char(~static_cast<unsigned char>(c));
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir = argc > 1 ? argv[1] : "corpus";
    for (const char* sub : {"ico", "pe", "desktop", "lnk", "password"})
        std::filesystem::create_directories(dir / sub);

    const std::vector<std::uint32_t> palette = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    auto index = [](int x, int y) { return std::uint32_t((x + y) % 4); };
    const Image deep = SolidImage(32, 0x80FF8000);
    const Image small = SolidImage(16, 0xFF00FF00);
    const Image pal8 = {8, 8, 8, Dib(8, 8, 8, palette, index, [](int x, int) { return x == 0; })};
    const Image pal4 = {8, 8, 4, Dib(8, 8, 4, palette, index)};
    const Image mono = {8, 8, 1,
                        Dib(8, 8, 1, {0xFF000000, 0xFFFFFFFF}, [](int x, int) { return std::uint32_t(x & 1); })};
    const Image rgb = {8, 8, 24, Dib(8, 8, 24, {}, [](int x, int) { return std::uint32_t(x * 0x102030); })};
    const Image png = {16, 16, 32, SolidPng(16, 16, 0xFF0000FF)};

    Save(dir / "ico" / "several.ico", BuildIco({small, deep, pal8}));
    Save(dir / "ico" / "depths.ico", BuildIco({pal4, mono, rgb}));
    Save(dir / "ico" / "png.ico", BuildIco({png, small}));
    Save(dir / "ico" / "dib8.bin", pal8.data);

    Save(dir / "pe" / "three.exe", BuildPe({{small, deep}, {pal8}, {png}}));
    Save(dir / "pe" / "plus.dll", BuildPe({{rgb}, {mono, pal4}}, true));
    Save(dir / "pe" / "empty.exe", BuildPe({}));

    SaveText(dir / "desktop" / "app.desktop",
             "[Desktop Entry]\nType=Application\nName=Editor\nName[de]=Bearbeiter\nComment=Edits\\stext\n"
             "Exec=\"/opt/my editor/bin/ed\" --file=%f \"a \\\\\"b\\\\\"\" 100%% %U\nIcon=accessories-text-editor\n"
             "Path=/tmp\nNoDisplay=false\nHidden=false\nTryExec=ed\nCategories=Utility;TextEditor;\n"
             "[Desktop Action New]\nExec=ed --new\n");
    SaveText(dir / "desktop" / "link.desktop",
             "# comment\r\n[Desktop Entry]\r\nType=Link\r\nIcon=/usr/share/pixmaps/x.png\r\n");

    using namespace kex::testlinks;
    LinkParts local = EveryPartLink();
    local.extra.push_back(EnvironmentBlock(0xA0000007, "%X%\\a.ico", u""));
    Save(dir / "lnk" / "local.lnk", BuildLink(local));
    LinkParts share;
    share.linkInfo = NetworkLinkInfo("\\\\server\\share", "Z:", "dir\\file.txt", true);
    share.name = u"Caf\u00E9";
    Save(dir / "lnk" / "share.lnk", BuildLink(share));
    LinkParts items;
    items.idList = IdList(
        {NetworkItem("\\\\srv\\pub"), FileItem("A.TXT", u"a.txt", 3), FileItem("Wide", std::nullopt, 0, false, true)});
    Save(dir / "lnk" / "items.lnk", BuildLink(items));

    const std::string records = PasswordRecordBytes("Main", "NilK305") + PasswordRecordBytes("SpeedButton20", "pw")
                                + PasswordRecordBytes("SpeedButton3", "");
    SaveText(dir / "password" / "records.dat", records);
    SaveText(dir / "password" / "cut.dat", records.substr(0, records.size() - 3));
    std::string legacy(257, '\0');
    legacy[0] = 3;
    for (int i = 1; i <= 3; ++i)
        legacy[std::size_t(i)] = char("abc"[i - 1] + i);
    SaveText(dir / "password" / "legacy.dat", legacy);
    return 0;
}

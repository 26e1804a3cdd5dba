// Font mapping: every requested family draws its face, also on a machine that has real fonts of
// the requested names (made here from a copy of DejaVu renamed by fontconfig at scan time) and
// whose fontconfig maps those names to another face.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <fontconfig/fontconfig.h>

#include "controls/Fonts.h"
#include "gui_app.h"

namespace {

// Installed face that is no mapping's face.
constexpr const char* OTHER_FACE = "DejaVu Sans Mono";

// A fontconfig file: the machine's configuration plus, in dir/fonts, one copy of `file` per
// requested family, each renamed to that family, and every requested name preferring OTHER_FACE.
QString write_config_with_real_fonts(const QString& dir, const QString& file)
{
    FcChar8* machine = FcConfigFilename(nullptr);
    QString xml = QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n<include>%1</include>\n"
                                 "<dir>%2/fonts</dir>\n<cachedir>%2/cache</cachedir>\n")
                      .arg(QString::fromUtf8(reinterpret_cast<const char*>(machine)), dir);
    FcStrFree(machine);
    int n = 0;
    for (const FontMapping& m : Fonts_mappings()) {
        const QString copy = QStringLiteral("requested-%1.ttf").arg(n++);
        QFile::copy(file, dir + "/fonts/" + copy);
        xml += QStringLiteral("<match target=\"scan\"><test name=\"file\" compare=\"contains\"><string>%1</string>"
                              "</test><edit name=\"family\" mode=\"assign_replace\"><string>%2</string></edit></match>\n")
                   .arg(copy, QString::fromLatin1(m.requested));
        xml += QStringLiteral("<alias binding=\"strong\"><family>%1</family><prefer><family>%2</family></prefer></alias>\n")
                   .arg(QString::fromLatin1(m.requested), QString::fromLatin1(OTHER_FACE));
    }
    const QString path = dir + "/fonts.conf";
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write((xml + "</fontconfig>\n").toUtf8()) < 0)
        return {};
    return path;
}

// File of the face fontconfig gives for `family`.
QString font_file(const char* family)
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    QString path;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
        path = QString::fromUtf8(reinterpret_cast<const char*>(file));
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

// Number of fonts named `family` under the configuration file.
int fonts_named(const QString& config_file, const char* family)
{
    FcConfig* config = FcConfigCreate();
    FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(config_file.toUtf8().constData()), FcTrue);
    FcConfigBuildFonts(config);
    FcPattern* pattern = FcPatternBuild(nullptr, FC_FAMILY, FcTypeString, family, nullptr);
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* set = FcFontList(config, pattern, objects);
    const int n = set ? set->nfont : 0;
    FcFontSetDestroy(set);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return n;
}

}  // namespace

TEST(Fonts, EveryRequestedFamilyDrawsItsFace)
{
    gui_app();
    for (const FontMapping& m : Fonts_mappings())
        EXPECT_EQ(QFontInfo(QFont(QString::fromLatin1(m.requested))).family().toStdString(), m.face) << m.requested;
}

TEST(Fonts, TheDefaultFontIsTheFirstFace)
{
    gui_app();
    const QFont font = QApplication::font();
    EXPECT_EQ(font.families().join(',').toStdString(), Fonts_mappings()[0].face);
    EXPECT_EQ(font.pointSize(), FONT_DEFAULT_POINTS);
}

// The mapping tests again, in a child process on such a machine.
TEST(Fonts, MappingWinsOverInstalledFontsOfTheRequestedNames)
{
    gui_app();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("fonts"));
    const QString config = write_config_with_real_fonts(dir.path(), font_file("DejaVu Serif"));
    ASSERT_FALSE(config.isEmpty());
    for (const FontMapping& m : Fonts_mappings())
        ASSERT_GE(fonts_named(config, m.requested), 1) << m.requested;

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("FONTCONFIG_FILE", config);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=Fonts.EveryRequestedFamilyDrawsItsFace:Fonts.TheDefaultFontIsTheFirstFace"});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardOutput());
    EXPECT_EQ(child.exitCode(), 0) << qPrintable(output);
    EXPECT_TRUE(output.contains("[  PASSED  ] 2 tests")) << qPrintable(output);
}

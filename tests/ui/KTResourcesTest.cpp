// The compiled-in pictures and sounds: every picture is a drawing that renders with ink at any
// size, looks unlike the others, and the sounds are short, quiet and start and end in silence.

#include "ui/KTResources.h"

#include "support/KTPictureChecks.h"
#include "support/KTTestSupport.h"
#include "ui/KTDrawingIcon.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <map>

namespace {

QStringList IconNames()
{
    QStringList names;
    const QString folder = QFileInfo(KTResources::IconPath(QStringLiteral("any"))).path();
    for (const QString& file : QDir(folder).entryList({QStringLiteral("*.svg")}, QDir::Files))
        names << QFileInfo(file).completeBaseName();
    return names;
}

QImage Render(const QString& name, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(KTResources::IconPath(name));
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

TEST(KTResources, EveryPictureIsADrawingThatRendersWithInkAtAnySize)
{
    const QStringList names = IconNames();
    // The size each is drawn for: the toolbar's buttons, the sign-up buttons, the program's icon.
    const std::map<QString, QSize> grids{
        {"close-update", {16, 15}}, {"close", {16, 15}},           {"edit-functions", {16, 15}},
        {"file-new", {16, 15}},     {"file-open", {16, 15}},       {"file-print", {16, 15}},
        {"file-save", {16, 15}},    {"mode-annotation", {16, 15}}, {"mode-integral", {16, 15}},
        {"mode-select", {16, 15}},  {"mode-tangent", {16, 15}},    {"mode-zoom", {16, 15}},
        {"newsletter", {32, 32}},   {"tutorials", {32, 32}},       {"ktgraph3", {48, 48}}};
    EXPECT_EQ(names.size(), static_cast<qsizetype>(grids.size()));
    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(grids.count(name), 1u);
        QSvgRenderer renderer(KTResources::IconPath(name));
        ASSERT_TRUE(renderer.isValid());
        const QSize grid = grids.at(name);
        EXPECT_EQ(renderer.defaultSize(), grid);
        for (int scale : {1, 2, 8}) {
            const QImage picture = Render(name, grid * scale);
            // Transparent pixels are no ink; no picture is drawn in pure magenta.
            const kttest::InkFacts ink = kttest::InkIn(picture, picture.rect(), qRgb(255, 0, 255));
            const int area = grid.width() * grid.height() * scale * scale;
            EXPECT_GT(ink.pixels, area / 8) << "scale " << scale;
            EXPECT_GE(ink.colours, 3) << "a picture, not a letter, at scale " << scale;
        }
        // A drawing, not a bitmap: the icon is drawn afresh at every size asked of it.
        const QIcon icon = KTResources::Icon(name);
        ASSERT_FALSE(icon.isNull());
        EXPECT_EQ(icon.actualSize(grid * 10), grid * 10);
        EXPECT_EQ(icon.pixmap(grid * 10).size(), grid * 10);
    }
    EXPECT_TRUE(KTResources::Icon(QStringLiteral("no-such-picture")).isNull());
}

TEST(KTResources, AnIconDrawsWhatItsPictureDrawsInEveryStateAndBox)
{
    QStyleOption option;
    option.palette = QApplication::palette();
    for (const QString& name : IconNames()) {
        SCOPED_TRACE(name.toStdString());
        const QIcon icon = KTResources::Icon(name);
        QSvgRenderer renderer(KTResources::IconPath(name));
        const QSize grid = renderer.defaultSize();
        // Boxes of the picture's proportions, a square box, and one far too wide.
        const struct
        {
            QSize box;
            QSize drawn;
        } rows[] = {{grid, grid},
                    {grid * 3, grid * 3},
                    {QSize(64, 64), grid.scaled(64, 64, Qt::KeepAspectRatio)},
                    {QSize(400, grid.height()), grid}};
        for (const auto& row : rows) {
            const QImage normal = icon.pixmap(row.box).toImage();
            ASSERT_EQ(normal.size(), row.drawn);
            EXPECT_EQ(normal.convertToFormat(QImage::Format_ARGB32_Premultiplied), Render(name, row.drawn));
            // Drawn a second time from what was kept, the same.
            EXPECT_EQ(icon.pixmap(row.box).toImage(), normal);
            const QImage disabled = icon.pixmap(row.box, QIcon::Disabled).toImage();
            EXPECT_EQ(disabled,
                      QApplication::style()
                          ->generatedIconPixmap(QIcon::Disabled, QPixmap::fromImage(normal), &option)
                          .toImage());
            EXPECT_NE(disabled, normal);
        }
    }
    // A picture that cannot be read is a null icon, and draws nothing.
    QTemporaryDir folder;
    const QString broken = folder.filePath(QStringLiteral("broken.svg"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\"");
    file.close();
    const QIcon icon(new KTDrawingIcon(broken));
    EXPECT_TRUE(icon.isNull());
    EXPECT_TRUE(icon.pixmap(16, 16).isNull());
}

TEST(KTResources, TheProgramsIconStaysOnItsRoundedSheet)
{
    // Nothing of the drawing reaches the outermost rows and columns, nor the rounded corners.
    for (int size : {48, 96, 256}) {
        SCOPED_TRACE(size);
        const QImage icon = Render(QString::fromLatin1(KTResources::ApplicationIconName), QSize(size, size));
        const int edge = size / 48 + 1;
        for (int i = 0; i < size; ++i)
            for (int d = 0; d < edge; ++d)
                for (const QPoint at :
                     {QPoint(i, d), QPoint(i, size - 1 - d), QPoint(d, i), QPoint(size - 1 - d, i)})
                    ASSERT_EQ(qAlpha(icon.pixel(at)), 0) << at.x() << "," << at.y();
        const int corner = size * 3 / 48;
        for (const QPoint at :
             {QPoint(corner, corner), QPoint(size - 1 - corner, corner), QPoint(corner, size - 1 - corner),
              QPoint(size - 1 - corner, size - 1 - corner)})
            EXPECT_EQ(qAlpha(icon.pixel(at)), 0) << at.x() << "," << at.y();
    }
}

TEST(KTResources, NoTwoPicturesLookAlike)
{
    std::map<QString, QImage> small;
    for (const QString& name : IconNames())
        small[name] = Render(name, QSize(16, 15));
    for (auto a = small.begin(); a != small.end(); ++a)
        for (auto b = std::next(a); b != small.end(); ++b) {
            int differing = 0;
            for (int y = 0; y < 15; ++y)
                for (int x = 0; x < 16; ++x)
                    differing += a->second.pixel(x, y) != b->second.pixel(x, y);
            EXPECT_GT(differing, 16 * 15 / 5) << a->first.toStdString() << " and " << b->first.toStdString();
        }
}

// A theme of one picture, "document-new" drawn in pure green, in a folder of its own.
void WriteTheme(const QString& root, const QString& name)
{
    QDir(root).mkpath(name + QStringLiteral("/16x16/actions"));
    QFile index(root + QLatin1Char('/') + name + QStringLiteral("/index.theme"));
    ASSERT_TRUE(index.open(QIODevice::WriteOnly));
    index.write("[Icon Theme]\nName=" + name.toLatin1() +
                "\nDirectories=16x16/actions\n\n[16x16/actions]\nSize=16\nContext=Actions\nType=Fixed\n");
    index.close();
    QImage green(16, 16, QImage::Format_ARGB32);
    green.fill(qRgb(0, 255, 0));
    ASSERT_TRUE(
        green.save(root + QLatin1Char('/') + name + QStringLiteral("/16x16/actions/document-new.png")));
}

TEST(KTResources, StandardPicturesComeFromTheDesktopsThemeOnly)
{
    kttest::TempDir folder;
    const QString root = QString::fromStdString(folder.Path().string());
    WriteTheme(root, QStringLiteral("kt-desktop"));
    WriteTheme(root, QStringLiteral("hicolor"));
    const QStringList paths = QIcon::themeSearchPaths();
    const QString theme = QIcon::themeName();
    QIcon::setThemeSearchPaths({root});
    const QImage ours = KTResources::Icon(QStringLiteral("file-new"))
                            .pixmap(16, 16)
                            .toImage()
                            .convertToFormat(QImage::Format_ARGB32);
    const struct
    {
        const char* theme;
        bool desktop; // a theme the desktop names: its picture is taken
    } rows[] = {{"kt-desktop", true}, {"hicolor", false}, {"", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.theme);
        QIcon::setThemeName(QString::fromLatin1(row.theme));
        EXPECT_EQ(KTResources::HasDesktopIconTheme(), row.desktop);
        const QImage shown =
            KTResources::ThemeIcon(QStringLiteral("document-new"), QStringLiteral("file-new"))
                .pixmap(16, 16)
                .toImage()
                .convertToFormat(QImage::Format_ARGB32);
        if (row.desktop)
            EXPECT_EQ(shown.pixel(8, 8), qRgb(0, 255, 0));
        else
            EXPECT_EQ(shown, ours);
        // A picture the theme lacks is always ours.
        EXPECT_FALSE(KTResources::ThemeIcon(QStringLiteral("kt-no-such-picture"), QStringLiteral("file-new"))
                         .isNull());
    }
    QIcon::setThemeName(theme);
    QIcon::setThemeSearchPaths(paths);
}

std::uint32_t U32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

std::uint16_t U16(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<std::uint16_t>(bytes.constData() + at);
}

TEST(KTResources, SoundsAreShortQuietAndStartAndEndInSilence)
{
    const struct
    {
        const char* name;
        double maxSeconds;
    } sounds[] = {{"hover", 0.05}, {"click", 0.08}};
    for (const auto& sound : sounds) {
        SCOPED_TRACE(sound.name);
        const QUrl url = KTResources::SoundUrl(QString::fromLatin1(sound.name));
        EXPECT_EQ(url.scheme(), QStringLiteral("qrc"));
        QFile file(QLatin1Char(':') + url.path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray wav = file.readAll();
        ASSERT_GE(wav.size(), 46);
        EXPECT_LT(wav.size(), 4096) << "tiny";
        EXPECT_EQ(wav.left(4), QByteArray("RIFF"));
        EXPECT_EQ(U32(wav, 4), static_cast<std::uint32_t>(wav.size() - 8));
        EXPECT_EQ(wav.mid(8, 8), QByteArray("WAVEfmt "));
        EXPECT_EQ(U16(wav, 20), 1u) << "PCM";
        EXPECT_EQ(U16(wav, 22), 1u) << "mono";
        const std::uint32_t rate = U32(wav, 24);
        EXPECT_EQ(rate, 22050u);
        EXPECT_EQ(U16(wav, 34), 16u) << "bits";
        ASSERT_EQ(wav.mid(36, 4), QByteArray("data"));
        const std::uint32_t bytes = U32(wav, 40);
        ASSERT_EQ(bytes + 44, static_cast<std::uint32_t>(wav.size()));
        const int count = static_cast<int>(bytes / 2);
        const double seconds = static_cast<double>(count) / rate;
        EXPECT_GT(seconds, 0.01);
        EXPECT_LE(seconds, sound.maxSeconds);
        int peak = 0;
        for (int i = 0; i < count; ++i)
            peak =
                std::max(peak, std::abs(static_cast<int>(static_cast<std::int16_t>(U16(wav, 44 + 2 * i)))));
        EXPECT_GT(peak, 32767 / 20) << "audible";
        EXPECT_LT(peak, 32767 * 6 / 10) << "not harsh";
        // No crack at either end.
        EXPECT_LT(std::abs(static_cast<std::int16_t>(U16(wav, 44))), 32767 / 100);
        EXPECT_LT(std::abs(static_cast<std::int16_t>(U16(wav, 44 + 2 * (count - 1)))), 32767 / 100);
    }
}

} // namespace

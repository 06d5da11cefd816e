#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>
#include <vector>

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOption>
#include <QTreeView>

#include "app/ApplySkin.h"
#include "app/QtPorts.h"
#include "support/AppHarness.h"
#include "support/PixelContrast.h"
#include "support/QStringPrinting.h"

// Failure messages name controls and texts by their QString.
inline std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << text.toStdString();
}

// How the window looks and reads: contrast on grabbed pixels under a light
// and a dark palette, with and without the skin; the design's white and the
// skin's face; the focus frame; captions that fit with the font really used;
// and what a screen reader is told.
namespace quillora {
namespace {

using namespace quillora::testing;

// ---- Palettes and skins ----------------------------------------------------

QByteArray ShippedSkin() {
    // The build copies skins/x/o.cjs beside the program (build/app/x/o.cjs).
    QFile file(QCoreApplication::applicationDirPath() + QStringLiteral("/../app/x/o.cjs"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName();
    return file.readAll();
}

struct Look {
    const char* name;
    bool dark;
    bool skin;
};

constexpr std::array<Look, 4> kLooks{{
    {"light palette, no skin", false, false},
    {"light palette, skin", false, true},
    {"dark Fusion palette, no skin", true, false},
    {"dark Fusion palette, skin", true, true},
}};

// Each test puts the application palette back as it found it.
class LookTest : public ::testing::Test {
  protected:
    void SetUp() override { saved_ = QApplication::palette(); }
    const QPalette& defaultPalette() const { return saved_; }
    void TearDown() override { QApplication::setPalette(saved_); }

    std::unique_ptr<Form1> start(const Look& look) {
        QApplication::setPalette(look.dark ? DarkFusionPalette() : saved_);
        // One program folder serves every look of a test: the skin comes and goes.
        QFile::remove(QDir(app_.programFolder).filePath(QStringLiteral("x/o.cjs")));
        if (look.skin) {
            app_.writeProgramFile(QStringLiteral("x/o.cjs"), ShippedSkin());
        }
        auto form = app_.start();
        form->show();
        QCoreApplication::processEvents();
        return form;
    }

    // Hexadecimal samples and a finished run: two entries, four result rows.
    std::unique_ptr<Form1> startWithResults(const Look& look) {
        auto form = start(look);
        form->PushButton10_Click();
        form->PushButton3_Click();
        QCoreApplication::processEvents();
        return form;
    }

    AppHarness app_;

  private:
    QPalette saved_;
};

// Where a line of text lands in its room, cut down to the band between its
// cap height and its base line, where every glyph has ink and no frame,
// focus rectangle or grid line of the control runs.
QRect InkBand(const QFontMetrics& metrics, const QString& text, Qt::Alignment alignment,
              const QRect& room) {
    const QRect box = QStyle::alignedRect(
        Qt::LeftToRight, alignment, QSize(metrics.horizontalAdvance(text), metrics.height()), room);
    const int baseline = box.top() + metrics.ascent();
    return QRect(box.left(), baseline - metrics.capHeight() + 1, box.width(), metrics.capHeight())
        .intersected(room);
}

struct ShownText {
    QString group;  // what kind of text, for the figures
    QString what;
    QRect band;  // in the window's coordinates
};

QRect InWindow(QWidget* widget, Form1& form, const QRect& rect) {
    return QRect(widget->mapTo(&form, rect.topLeft()), rect.size());
}

// The rectangle a push button or an option gives its caption, as its own style reckons it.
QRect CaptionRoom(QAbstractButton* button, QStyle::SubElement element) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(element, &option, button);
}

QRect FrameTitleRoom(QGroupBox* frame) {
    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.textAlignment = frame->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    return frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel,
                                          frame);
}

QRect HeaderLabelRoom(QHeaderView* header, int section) {
    QStyleOptionHeader option;
    option.initFrom(header);
    option.rect = QRect(header->sectionViewportPosition(section), 0, header->sectionSize(section),
                        header->height());
    option.section = section;
    option.orientation = Qt::Horizontal;
    option.text = header->model()->headerData(section, Qt::Horizontal).toString();
    option.textAlignment = header->defaultAlignment();
    return header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
}

QRect CellTextRoom(QAbstractItemView* view, const QModelIndex& index) {
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.rect = view->visualRect(index);
    option.text = index.data().toString();
    option.font = view->font();
    option.fontMetrics = view->fontMetrics();
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    option.features = QStyleOptionViewItem::HasDisplay;
    if ((index.flags() & Qt::ItemIsUserCheckable) != 0) {
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        option.checkState = index.data(Qt::CheckStateRole).value<Qt::CheckState>();
    }
    option.widget = view;
    return view->style()->subElementRect(QStyle::SE_ItemViewItemText, &option, view);
}

std::vector<ShownText> ShownTexts(Form1& form) {
    std::vector<ShownText> texts;
    const auto add = [&](const char* group, QWidget* widget, const QString& text,
                         Qt::Alignment alignment, const QRect& room) {
        if (!text.isEmpty()) {
            texts.push_back(
                {QString::fromLatin1(group), text,
                 InWindow(widget, form, InkBand(widget->fontMetrics(), text, alignment, room))});
        }
    };
    for (int index = 1; index <= 13; ++index) {
        QPushButton* button = Button(form, index);
        add("buttons", button, button->text(), Qt::AlignCenter,
            CaptionRoom(button, QStyle::SE_PushButtonContents));
    }
    auto* frame = Control<QGroupBox>(form, QStringLiteral("Frame1"));
    add("frame caption", frame, frame->title(), Qt::AlignCenter, FrameTitleRoom(frame));
    for (int index = 1; index <= 4; ++index) {
        QRadioButton* option = Option(form, index);
        add("options", option, option->text(), Qt::AlignLeft | Qt::AlignVCenter,
            CaptionRoom(option, QStyle::SE_RadioButtonContents));
    }
    for (int list : {1, 2}) {
        QAbstractItemView* view = List(form, list);
        QHeaderView* header = ListHeader(form, list);
        for (int section = 0; section < header->count(); ++section) {
            add("headers", header->viewport(),
                header->model()->headerData(section, Qt::Horizontal).toString(),
                header->defaultAlignment(), HeaderLabelRoom(header, section));
        }
        QAbstractItemModel* model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            for (int column = 0; column < model->columnCount(); ++column) {
                const QModelIndex index = model->index(row, column);
                add(list == 1 ? "list entries" : "result cells", view->viewport(),
                    index.data().toString(), Qt::AlignLeft | Qt::AlignVCenter,
                    CellTextRoom(view, index));
            }
        }
    }
    auto* bar = Control<QProgressBar>(form, QStringLiteral("ProgressBar1"));
    add("progress caption", bar, bar->text(), Qt::AlignCenter, bar->rect());
    return texts;
}

// WCAG AA for normal text.
constexpr double kReadable = 4.5;

TEST_F(LookTest, EveryTextReadsAtFourAndAHalfToOneOnItsGrabbedPixels) {
    for (const Look& look : kLooks) {
        SCOPED_TRACE(look.name);
        auto form = startWithResults(look);
        const QImage image = form->grab().toImage();
        const std::vector<ShownText> texts = ShownTexts(*form);
        ASSERT_EQ(texts.size(), 13u + 1u + 4u + 1u + 5u + 2u + 4u * 5u + 1u);

        std::map<QString, std::pair<double, QString>> lowest;  // group: ratio, text
        for (const ShownText& text : texts) {
            ASSERT_FALSE(text.band.isEmpty()) << text.what;
            const Reading reading = Read(image, text.band);
            EXPECT_GE(reading.ratio, kReadable)
                << text.group << " \"" << text.what
                << "\": " << QColor(reading.ink).name().toStdString() << " on "
                << QColor(reading.ground).name().toStdString();
            auto [place, fresh] = lowest.try_emplace(text.group, reading.ratio, text.what);
            if (!fresh && reading.ratio < place->second.first) {
                place->second = {reading.ratio, text.what};
            }
        }
        std::printf("contrast, %s (lowest per kind of text):\n", look.name);
        for (const auto& [group, low] : lowest) {
            std::printf("  %-17s %5.2f:1  \"%s\"\n", qPrintable(group), low.first,
                        qPrintable(low.second));
        }
    }
}

TEST_F(LookTest, AChangeOfSchemeWhileTheWindowIsOpenIsFollowed) {
    for (const Look& look : kLooks) {
        SCOPED_TRACE(look.name);
        // Started in the other scheme, then switched to this one.
        const Look other{look.name, !look.dark, look.skin};
        auto form = startWithResults(other);
        QApplication::setPalette(look.dark ? DarkFusionPalette() : defaultPalette());
        QCoreApplication::processEvents();
        const QImage image = form->grab().toImage();
        double lowest = 21.0;
        for (const ShownText& text : ShownTexts(*form)) {
            const Reading reading = Read(image, text.band);
            EXPECT_GE(reading.ratio, kReadable) << text.group << " \"" << text.what << "\"";
            lowest = std::min(lowest, reading.ratio);
        }
        const QColor face = QApplication::palette().color(QPalette::Button);
        const Twips twips(form->logicalDpiX(), form->logicalDpiY());
        EXPECT_EQ(QColor(image.pixel(twips.x(4020), twips.y(2200))).name(),
                  (look.skin ? face : QColor(Qt::white)).name());
        auto* list = List(*form, 1);
        EXPECT_EQ(QColor(image.pixel(list->viewport()->mapTo(form.get(), QPoint(400, 60)))).name(),
                  QApplication::palette().color(QPalette::Base).name());
        std::printf("contrast, switched to %s while open: lowest %.2f:1\n", look.name, lowest);
    }
}

TEST_F(LookTest, TheSkinnedCaptionStaysOnTheFieldWhileTheBarFills) {
    for (const Look& look : kLooks) {
        if (!look.skin) {
            continue;
        }
        SCOPED_TRACE(look.name);
        auto form = start(look);
        auto* bar = Control<QProgressBar>(*form, QStringLiteral("ProgressBar1"));
        for (int value : {0, 50, 100}) {
            bar->setValue(value);
            const QImage image = bar->grab().toImage();
            const Reading reading =
                Read(image, InkBand(bar->fontMetrics(), bar->text(), Qt::AlignCenter, bar->rect()));
            EXPECT_GE(reading.ratio, kReadable) << value << "%";
            std::printf("contrast, %s, progress caption at %3d%%: %5.2f:1\n", look.name, value,
                        reading.ratio);
        }
    }
}

TEST(ShippedSkin, ColoursOnlyWithPaletteRoles) {
    QString sheet = QString::fromUtf8(ShippedSkin());
    sheet.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"),
                                    QRegularExpression::DotMatchesEverythingOption));
    // Hexadecimal colours, colour functions and the common colour names.
    const QRegularExpression fixed(
        QStringLiteral("#[0-9a-f]{3,8}\\b|\\b(rgba?|hsva?|hsla?)\\s*\\(|\\b(white|black|red|"
                       "green|blue|gray|grey|silver|navy|yellow|orange|purple|maroon|teal)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch found = fixed.match(sheet);
    EXPECT_FALSE(found.hasMatch()) << "a fixed colour: " << found.captured(0);
    EXPECT_GE(sheet.count(QStringLiteral("palette(")), 10);
}

// ---- The design's white and the skin's face --------------------------------

// Points of the window's background, of the frame's inside and of each
// option that no text, indicator or border covers.
std::vector<std::pair<QString, QPoint>> BackgroundPoints(Form1& form) {
    const Twips twips(form.logicalDpiX(), form.logicalDpiY());
    auto* frame = Control<QGroupBox>(form, QStringLiteral("Frame1"));
    const auto inFrame = [&](int x, int y) { return frame->mapTo(&form, QPoint(x, y)); };
    std::vector<std::pair<QString, QPoint>> points{
        {"window between two buttons", QPoint(twips.x(4020), twips.y(2200))},
        {"window below the progress bar", QPoint(twips.x(4000), twips.y(8820))},
        {"frame between Decimal and Hexadecimal", inFrame(twips.x(1550), twips.y(430))},
        {"frame right of Binary", inFrame(twips.x(7000), twips.y(430))},
        {"frame near its foot", inFrame(twips.x(3000), frame->height() - 6)},
    };
    for (int index = 1; index <= 4; ++index) {
        QRadioButton* option = Option(form, index);
        points.emplace_back(option->objectName() + QStringLiteral(" top right"),
                            option->mapTo(&form, QPoint(option->width() - 1, 0)));
        points.emplace_back(
            option->objectName() + QStringLiteral(" bottom right"),
            option->mapTo(&form, QPoint(option->width() - 1, option->height() - 1)));
    }
    return points;
}

TEST_F(LookTest, WithoutTheSkinWindowFrameAndOptionsAreWhiteWithTheSkinTheButtonFace) {
    for (const Look& look : kLooks) {
        SCOPED_TRACE(look.name);
        auto form = start(look);
        const QImage image = form->grab().toImage();
        const QColor expected = look.skin ? ButtonFaceColour() : QColor(Qt::white);
        ASSERT_EQ(ButtonFaceColour(), QApplication::palette().color(QPalette::Button));
        for (const auto& [where, point] : BackgroundPoints(*form)) {
            EXPECT_EQ(QColor(image.pixel(point)).name(), expected.name()) << where;
        }
    }
}

// ---- Focus frame -----------------------------------------------------------

QWidget* PressTab(QWidget* from) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QCoreApplication::sendEvent(from, &press);
    QCoreApplication::processEvents();
    return QApplication::focusWidget();
}

TEST_F(LookTest, AFocusedSkinnedButtonShowsAFrameThatStandsOutFromItsFace) {
    for (const Look& look : kLooks) {
        SCOPED_TRACE(look.name);
        auto form = start(look);
        form->activateWindow();
        QPushButton* button = Button(*form, 3);
        Button(*form, 2)->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        const QImage before = button->grab().toImage();
        ASSERT_EQ(PressTab(Button(*form, 2)), button);
        const QImage after = button->grab().toImage();

        // The frame is the button's outer two pixels all round.
        const QRgb face = Read(before, before.rect()).ground;
        const QRect inner = before.rect().adjusted(2, 2, -2, -2);
        int ring = 0;
        int changed = 0;
        std::map<QRgb, int> colours;  // of the changed pixels
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                if (inner.contains(x, y)) {
                    continue;
                }
                ++ring;
                if (after.pixel(x, y) != before.pixel(x, y)) {
                    ++changed;
                    ++colours[after.pixel(x, y)];
                }
            }
        }
        const QRgb frame =
            colours.empty()
                ? face
                : std::max_element(colours.begin(), colours.end(),
                                   [](const auto& a, const auto& b) { return a.second < b.second; })
                      ->first;
        const double ratio = Contrast(frame, face);
        // Only the skin's own frame is ours to promise; the plain style's is reported.
        std::printf(
            "focus frame, %s: %d of %d frame pixels change, mostly to %s, %.2f:1 "
            "against the face %s\n",
            look.name, changed, ring, qPrintable(QColor(frame).name()), ratio,
            qPrintable(QColor(face).name()));
        if (!look.skin) {
            continue;
        }
        // Nearly all of the ring (the rounded corners blend), in a colour at
        // WCAG's 3:1 for what shows a control's state.
        EXPECT_GE(changed, ring * 9 / 10);
        EXPECT_GE(ratio, 3.0);
    }
}

// ---- Fonts -----------------------------------------------------------------

QString FontName(const QFont& font) {
    const QFontInfo info(font);
    return QStringLiteral("%1 %2 %3pt (asked for %4)")
        .arg(info.family(), info.styleName())
        .arg(info.pointSizeF())
        .arg(font.family());
}

struct Fit {
    QString what;
    QFont font;
    QString text;
    QRect room;
};

std::vector<Fit> Captions(Form1& form) {
    std::vector<Fit> fits;
    for (int index = 1; index <= 13; ++index) {
        QPushButton* button = Button(form, index);
        fits.push_back({button->objectName(), button->font(), button->text(),
                        CaptionRoom(button, QStyle::SE_PushButtonContents)});
    }
    for (int index = 1; index <= 4; ++index) {
        QRadioButton* option = Option(form, index);
        fits.push_back({option->objectName(), option->font(), option->text(),
                        CaptionRoom(option, QStyle::SE_RadioButtonContents)});
    }
    auto* frame = Control<QGroupBox>(form, QStringLiteral("Frame1"));
    fits.push_back({frame->objectName(), frame->font(), frame->title(), FrameTitleRoom(frame)});
    for (int list : {1, 2}) {
        QHeaderView* header = ListHeader(form, list);
        for (int section = 0; section < header->count(); ++section) {
            fits.push_back({QStringLiteral("ListView%1 header %2").arg(list).arg(section),
                            header->font(),
                            header->model()->headerData(section, Qt::Horizontal).toString(),
                            HeaderLabelRoom(header, section)});
        }
    }
    return fits;
}

// Also run by the next test in a child process that sees no font aliases.
TEST_F(LookTest, EveryCaptionFitsItsControlWithTheFontReallyUsed) {
    for (const Look& look : kLooks) {
        SCOPED_TRACE(look.name);
        auto form = start(look);
        for (const Fit& fit : Captions(*form)) {
            const QFontMetrics metrics(fit.font);
            EXPECT_LE(metrics.horizontalAdvance(fit.text), fit.room.width())
                << fit.what << " \"" << fit.text << "\" is clipped with " << FontName(fit.font);
            EXPECT_LE(metrics.capHeight() + metrics.descent(), fit.room.height())
                << fit.what << " \"" << fit.text << "\" is clipped with " << FontName(fit.font);
        }
        if (look.dark) {
            continue;  // the palette changes no font
        }
        std::printf("font, %s: buttons %s; the rest %s\n", look.name,
                    qPrintable(FontName(Button(*form, 9)->font())),
                    qPrintable(FontName(Option(*form, 2)->font())));
        const QStringList twins{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                                QStringLiteral("Arimo")};
        EXPECT_TRUE(twins.contains(QFontInfo(form->font()).family()))
            << "Arial resolves to " << FontName(form->font());
    }
}

TEST(Fonts, ArialResolvesToItsMetricTwinWhereFontconfigHasNoAlias) {
    if (qEnvironmentVariableIsSet("QUILLORA_FONTCONFIG_CHILD")) {
        GTEST_SKIP() << "this is the child";
    }
    // A fontconfig of the system's fonts alone, without the alias rules, so
    // Arial falls back to fontconfig's first sans serif (DejaVu Sans).
    QTemporaryDir folder;
    QFile config(folder.filePath(QStringLiteral("fonts.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig>\n"
                                "  <dir>/usr/share/fonts</dir>\n  <cachedir>%1</cachedir>\n"
                                "</fontconfig>\n")
                     .arg(folder.filePath(QStringLiteral("cache")))
                     .toUtf8());
    config.close();

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("FONTCONFIG_FILE"), config.fileName());
    environment.insert(QStringLiteral("QUILLORA_FONTCONFIG_CHILD"), QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral(
                    "--gtest_filter=LookTest.EveryCaptionFitsItsControlWithTheFontReallyUsed")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("Liberation Sans"))) << output.toStdString();
    const qsizetype from = output.indexOf(QStringLiteral("font, light palette, no skin"));
    std::printf("without fontconfig's aliases: %s\n",
                qPrintable(output.mid(from, output.indexOf(QLatin1Char('\n'), from) - from)));
}

// ---- What a screen reader is told ------------------------------------------

QAccessibleInterface* Spoken(QObject* control) {
    QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
    EXPECT_NE(spoken, nullptr) << control->objectName();
    return spoken;
}

TEST_F(LookTest, BothListsAndTheProgressBarHaveNamesAndDescriptions) {
    auto form = start(kLooks[0]);
    const std::map<QString, QString> names{
        {"ListView1", "Number list"}, {"ListView2", "Results table"}, {"ProgressBar1", "Progress"}};
    for (const auto& [object, name] : names) {
        QAccessibleInterface* spoken = Spoken(form->findChild<QWidget*>(object));
        EXPECT_EQ(spoken->text(QAccessible::Name), name);
        const QString description = spoken->text(QAccessible::Description);
        EXPECT_GT(description.size(), 20) << object;
        EXPECT_NE(description, spoken->text(QAccessible::Name));
    }
    EXPECT_EQ(Spoken(form->findChild<QWidget*>(QStringLiteral("ListView1")))->role(),
              QAccessible::Tree);
}

TEST_F(LookTest, TheProgressBarsValueIsItsCaptionAndItsNumbersStayReadable) {
    auto form = startWithResults(kLooks[0]);
    auto* bar = Control<QProgressBar>(*form, QStringLiteral("ProgressBar1"));
    QAccessibleInterface* spoken = Spoken(bar);
    EXPECT_EQ(spoken->role(), QAccessible::ProgressBar);
    EXPECT_EQ(spoken->text(QAccessible::Value), QStringLiteral("Progress Bar"));
    ASSERT_NE(spoken->valueInterface(), nullptr);
    EXPECT_EQ(spoken->valueInterface()->currentValue().toInt(), 0);
    EXPECT_EQ(spoken->valueInterface()->maximumValue().toInt(), 100);

    // The port the window drives its bar through, as an export does.
    ProgressBarPort port(bar);
    port.setCaption(QStringLiteral("Writing file: results.txt"));
    EXPECT_EQ(spoken->text(QAccessible::Value), QStringLiteral("Writing file: results.txt"));
    port.setValue(40);
    EXPECT_EQ(spoken->valueInterface()->currentValue().toInt(), 40);
    EXPECT_EQ(spoken->text(QAccessible::Value), QStringLiteral("Writing file: results.txt"));
}

TEST_F(LookTest, TabReachesEveryControlAndEachTellsItsState) {
    auto form = startWithResults(kLooks[1]);
    form->activateWindow();
    auto* list = List(*form, 1);
    list->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), list);

    // The base group is one stop, at its chosen option, as on every desktop;
    // the arrow keys move inside it.
    QStringList reached{list->objectName()};
    for (QWidget* at = PressTab(list); at != list && reached.size() < 40; at = PressTab(at)) {
        ASSERT_NE(at, nullptr);
        reached << at->objectName();
        QAccessibleInterface* spoken = Spoken(at);
        EXPECT_TRUE(spoken->state().focused) << at->objectName();
        EXPECT_TRUE(spoken->state().focusable) << at->objectName();
        EXPECT_FALSE(spoken->text(QAccessible::Name).isEmpty()) << at->objectName();
    }
    EXPECT_EQ(reached,
              QStringList({"ListView1", "ListView2", "Option2", "PushButton6", "PushButton1",
                           "PushButton2", "PushButton3", "PushButton4", "PushButton5",
                           "PushButton7", "PushButton8", "PushButton9", "PushButton10",
                           "PushButton11", "PushButton12", "PushButton13"}));

    // Every option tells whether it is on, whichever one the group's stop is.
    for (int index = 1; index <= 4; ++index) {
        QAccessibleInterface* spoken = Spoken(Option(*form, index));
        EXPECT_EQ(spoken->role(), QAccessible::RadioButton);
        EXPECT_TRUE(spoken->state().checkable);
        EXPECT_EQ(bool(spoken->state().checked), index == 2) << index;
        EXPECT_EQ(spoken->text(QAccessible::Name), Option(*form, index)->text());
    }
    EXPECT_EQ(Spoken(Control<QGroupBox>(*form, QStringLiteral("Frame1")))->text(QAccessible::Name),
              QStringLiteral("Base"));

    // The results table speaks its cells and each row's tick.
    auto* table = Control<QTreeView>(*form, QStringLiteral("ListView2"));
    QAccessibleTableInterface* cells = Spoken(table)->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 4);
    EXPECT_EQ(cells->columnCount(), 5);
    EXPECT_EQ(cells->columnDescription(3), QStringLiteral("Multiplication"));
    EXPECT_EQ(cells->cellAt(1, 0)->text(QAccessible::Name), QStringLiteral("Hexadecimal"));
    EXPECT_EQ(cells->cellAt(0, 1)->text(QAccessible::Name), QStringLiteral("5227"));
    EXPECT_FALSE(cells->cellAt(2, 0)->state().checked);
    form->results().setChecked(2, true);
    EXPECT_TRUE(cells->cellAt(2, 0)->state().checked);

    // And the number list its entries.
    QAccessibleTableInterface* entries = Spoken(list)->tableInterface();
    ASSERT_NE(entries, nullptr);
    EXPECT_EQ(entries->rowCount(), 2);
    EXPECT_EQ(entries->cellAt(1, 0)->text(QAccessible::Name), QStringLiteral("a35"));
}

TEST_F(LookTest, TheChosenOptionIsTheGroupsTabStopWhicheverItIs) {
    auto form = start(kLooks[0]);
    form->activateWindow();
    auto* table = Control<QTreeView>(*form, QStringLiteral("ListView2"));
    for (int index = 1; index <= 4; ++index) {
        Option(*form, index)->setChecked(true);
        table->setFocus(Qt::TabFocusReason);
        QCoreApplication::processEvents();
        EXPECT_EQ(PressTab(table), Option(*form, index)) << index;
    }
}

}  // namespace
}  // namespace quillora

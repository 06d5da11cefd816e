#pragma once

// What the window's tests read back: the text of an error report, a file's
// bytes, a result row, whether the window still answers, and the small files
// they hand it.
#include <gtest/gtest.h>

#include <cstddef>

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "support/AppHarness.h"
#include "support/FakePorts.h"

namespace quillora::testing {

// The "Application Error" box's text for a step that failed at its label.
inline QString ReportText(const QString& description, const QString& handler, int label) {
    return description + QStringLiteral("\r\nin Marrowfen2021/08/31.") + handler +
           QStringLiteral(" at line ") + QString::number(label) +
           QStringLiteral(
               "\r\rPlease email screenshot of this message to support@tolvenrix.example");
}

// The program's environment with no display of any kind and a scratch home,
// so no real settings are touched.
inline QProcessEnvironment BareEnvironment(const QTemporaryDir& home) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    return environment;
}

// Writes the file whole, making its folder where there is none.
inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A row of the results table as the window shows it: the base, then the four results.
inline QStringList RowTexts(Form1& form, int row) {
    const ResultRow& r = form.results().row(row);
    return {r.base, r.cells[0], r.cells[1], r.cells[2], r.cells[3]};
}

// Pending events run and return, and the next press does its work.
inline ::testing::AssertionResult Answers(Form1& form, RecordingDialogs& dialogs) {
    QCoreApplication::processEvents();
    const std::size_t before = dialogs.messages.size();
    Button(form, 13)->click();
    if (dialogs.messages.size() != before + 1 ||
        !dialogs.messages.back().text.startsWith(QStringLiteral("Questions?"))) {
        return ::testing::AssertionFailure() << "the Help button did not answer";
    }
    dialogs.messages.pop_back();
    return ::testing::AssertionSuccess();
}

// A small cursor file: an icon written by Qt, turned into a cursor with its hot spot.
inline QByteArray CursorFile(int hotX, int hotY) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    EXPECT_TRUE(writer.write(image));
    bytes[2] = 2;  // type: cursor
    bytes[10] = static_cast<char>(hotX);
    bytes[11] = 0;
    bytes[12] = static_cast<char>(hotY);
    bytes[13] = 0;
    return bytes;
}

}  // namespace quillora::testing

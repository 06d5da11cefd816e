#pragma once

// Starts the real Form1 headless: scripted dialogs, a settings store in a
// temporary folder (never the user's, SettingsFolder.h), and a program folder of the test's own
// for the skin file and the hand cursor. Then finds its controls by the names
// the design gives them.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTreeView>

#include "app/Form1.h"
#include "support/FakePorts.h"
#include "support/SettingsFolder.h"

namespace quillora::testing {

class AppHarness : public SettingsFolder {
  public:
    AppHarness() {
        programFolder = temp.filePath(QStringLiteral("program"));
        QDir().mkpath(programFolder);
    }

    void writeProgramFile(const QString& relativePath, const QByteArray& bytes) const {
        const QString path = QDir(programFolder).filePath(relativePath);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
    }

    std::unique_ptr<Form1> start(EventPump* pump = nullptr) {
        Form1Setup setup;
        setup.dialogs = &dialogs;
        setup.pump = pump;
        setup.clipboard = clipboard;
        setup.spreadsheets = spreadsheets;
        setup.programFolder = programFolder;
        setup.endProgram = [this] { ++programEnds; };
        setup.runYieldInterval = runYieldInterval;
        return std::make_unique<Form1>(setup);
    }

    // Closes the window as the user would and makes a new one, as a restart does.
    std::unique_ptr<Form1> restart(std::unique_ptr<Form1> form) {
        form->close();
        form.reset();
        return start();
    }

    QString programFolder;
    RecordingDialogs dialogs;
    ClipboardPort* clipboard = nullptr;           // the real one when not set
    SpreadsheetProvider* spreadsheets = nullptr;  // the real one when not set
    std::chrono::nanoseconds runYieldInterval = kYieldInterval;
    int programEnds = 0;
};

inline QStringList Entries(Form1& form) {
    QStringList all;
    for (int row = 0; row < form.numbers().count(); ++row) {
        all << form.numbers().text(row);
    }
    return all;
}

// A control of a window (the main one or another) by its object name; a name the window lacks fails
// the test where it is asked for.
template <class W>
W* Control(QWidget& form, const QString& name) {
    W* control = form.findChild<W*>(name);
    EXPECT_NE(control, nullptr) << name.toStdString();
    return control;
}

template <class W>
W* Control(QWidget& form, const char* name) {
    return Control<W>(form, QString::fromLatin1(name));
}

inline QPushButton* Button(Form1& form, int index) {
    return Control<QPushButton>(form, QStringLiteral("PushButton%1").arg(index));
}

// Option1 to Option4, by number or by the base each stands for (Decimal is Option1).
inline QRadioButton* Option(Form1& form, int index) {
    return Control<QRadioButton>(form, QStringLiteral("Option%1").arg(index));
}

inline QRadioButton* Option(Form1& form, Base base) {
    return Option(form, static_cast<int>(base) + 1);
}

// ListView1 holds the entries, ListView2 the results.
inline QAbstractItemView* List(Form1& form, int index) {
    return Control<QAbstractItemView>(form, QStringLiteral("ListView%1").arg(index));
}

// The column header of either list.
inline QHeaderView* ListHeader(Form1& form, int index) {
    return List(form, index)->findChild<QHeaderView*>(QString(), Qt::FindDirectChildrenOnly);
}

// The decimal samples calculated: four result rows, all ticked.
inline void CalculateTickedResults(Form1& form) {
    Button(form, 9)->click();
    Button(form, 3)->click();
    ASSERT_EQ(form.results().count(), 4);
    for (int row = 0; row < 4; ++row) {
        form.results().setChecked(row, true);
    }
}

}  // namespace quillora::testing

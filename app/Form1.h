#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>

#include <QCursor>
#include <QString>
#include <QWidget>

#include "app/ErrorReportBox.h"
#include "app/ExactResultsWindow.h"
#include "app/QtDialogs.h"
#include "app/QtPorts.h"
#include "app/SkinFramework.h"
#include "app/Twips.h"
#include "calc/CalculationRun.h"
#include "calc/ResultsTableModel.h"
#include "core/Base.h"
#include "core/BusyGuard.h"
#include "core/UiPorts.h"
#include "export/ClipboardExport.h"
#include "export/ExportContext.h"
#include "export/Spreadsheet.h"
#include "input/InputContext.h"
#include "input/ListUndo.h"
#include "input/NumberListModel.h"
#include "store/SettingsKeys.h"
#include "store/SettingsStore.h"

class QAction;
class QGroupBox;
class QUrl;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QAbstractItemView;
class QTreeView;

namespace quillora {

class NumberListView;

inline const QString kContactPage = QStringLiteral("https://tolvenrix.example/contact");

// What main() or a test hands the window; every empty field takes the real thing.
struct Form1Setup {
    Dialogs* dialogs = nullptr;                   // the Qt boxes
    EventPump* pump = nullptr;                    // the Qt event loop
    ClipboardPort* clipboard = nullptr;           // the system clipboard
    SpreadsheetProvider* spreadsheets = nullptr;  // LibreOffice Calc through its plugin
    QString programFolder;                        // the executable's; empty: ExecutableFolder()
    std::function<void()> endProgram;             // quit the application
    // How much work a run does between two turns of the event loop; a test
    // that scripts what happens during those turns shortens it, so that a
    // fast machine still gives it all the turns it scripts.
    std::chrono::nanoseconds runYieldInterval = kYieldInterval;
};

// The one window. Creating it runs Form_Load; closing it stores the number
// list and ends the program. The handlers keep the names the program has
// always used; the logic behind them lives in the calc and input rooms.
class Form1 : public QWidget, public BaseFlags, public PointerPort {
    Q_OBJECT
  public:
    explicit Form1(Form1Setup setup = {}, QWidget* parent = nullptr);
    ~Form1() override;

    bool flag(Base base) const override;
    Pointer pointer() const override { return pointer_; }
    void setPointer(Pointer pointer) override;

    NumberListModel& numbers() { return *numbers_; }
    // "Exact Results" (Ctrl+E, or the results table's context menu).
    ExactResultsWindow& exactResults() { return *exact_; }
    ResultsTableModel& results() { return *results_; }
    const QCursor& handCursor() const { return handCursor_; }
    const BusyState& busy() const { return busy_; }
    bool runUnderWay() const { return busy_.runUnderWay(); }

    // Start-up and end (Form1Load.cpp).
    void Form_Load();
    void Form_QueryUnload();
    void Form_Unload();

    // Buttons, options and lists (Form1Handlers.cpp).
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();
    void PushButton6_Click();
    void PushButton7_Click();
    void PushButton9_Click();
    void PushButton10_Click();
    void PushButton11_Click();
    void PushButton12_Click();
    void PushButton13_Click();
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void ListView1_DblClick();
    void ListView1_KeyDown(int qtKey);
    void ListView2_DblClick();

    // The export buttons (Form1Export.cpp).
    bool SaveResultsAsExcelFileIsExcelInstalled();
    void PushButton4_Click();
    void PushButton5_Click();
    void PushButton8_Click();

    // Keyboard, clipboard, drops, undo and the command line (Form1Desktop.cpp).
    void Form_Paste();  // Ctrl+V
    void Form_Undo();   // Ctrl+Z
    void Form_DropText(const QString& text);
    void Form_DropFiles(const QList<QUrl>& files);
    void LoadCommandLineFiles(const QStringList& arguments);
    void ListView1_Copy();  // Ctrl+C in either list
    void ListView2_Copy();
    bool ListView1_DeleteSelection();  // Delete with several entries selected: all of them
    bool canUndo() const;

    // Pointer feedback (Form1Pointer.cpp): none of them touches the busy pointer.
    void Form_MouseMove();
    void Frame1_MouseMove();
    void ListView1_MouseMove();
    void ListView2_MouseMove();
    void PushButton_MouseMove(int button);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Form1Layout.cpp
    void buildLayout();
    void buildLists();
    void buildButtons();
    void buildBaseFrame();
    void chainTabOrder();
    void buildExactResults();
    void connectHandlers();
    void watchPointer();

    // Form1Load.cpp
    void setOptionFromStore(Base base);
    void restoreList(Steps& steps);

    // Form1Handlers.cpp
    void optionClicked(Base base);
    void selectOption(Base base);
    void loadSample(Base base);
    void greyListChanges(bool grey);
    int selectedRow(const QAbstractItemView* view) const;
    WindowPorts windowPorts();
    InputContext inputContext();
    CalculationContext calculationContext();

    // Form1Desktop.cpp
    void wireDesktop();

    // Form1Export.cpp: where the export room plugs in.
    ExportContext exportContext();

    QRadioButton* option(Base base) const { return options_.at(static_cast<std::size_t>(base)); }
    QPushButton* pushButton(int index) const {
        return pushButtons_.at(static_cast<std::size_t>(index));
    }

    std::unique_ptr<QtDialogs> ownDialogs_;
    Dialogs* dialogs_;
    std::unique_ptr<QtEventPump> ownPump_;
    EventPump* pump_;
    ErrorReportBox report_;
    std::unique_ptr<ClipboardPort> ownClipboard_;
    ClipboardPort* clipboard_;
    std::unique_ptr<SpreadsheetProvider> ownSpreadsheets_;
    SpreadsheetProvider* spreadsheets_;
    QString programFolder_;
    std::function<void()> endProgram_;
    std::chrono::nanoseconds runYieldInterval_;
    SettingsStore settings_;
    SkinFramework skinFramework_;  // SkinFramework1
    Twips twips_;

    NumberListModel* numbers_ = nullptr;
    ResultsTableModel* results_ = nullptr;
    NumberListView* listView1_ = nullptr;
    QTreeView* listView2_ = nullptr;
    ExactResultsWindow* exact_ = nullptr;
    bool shown_ = false;
    std::array<QPushButton*, 14> pushButtons_{};  // PushButton1 to PushButton13; [0] unused
    QGroupBox* frame1_ = nullptr;
    std::array<QRadioButton*, 4> options_{};  // Option1 to Option4
    QProgressBar* progressBar1_ = nullptr;
    std::unique_ptr<ProgressBarPort> progress_;

    Pointer pointer_ = Pointer::Default;
    QCursor handCursor_{Qt::PointingHandCursor};
    BusyState busy_{*this};
    ListUndo* undo_ = nullptr;
    bool unloaded_ = false;
};

}  // namespace quillora

#include "app/Form1.h"

#include <QCoreApplication>
#include <QRadioButton>

#include "app/ProgramFolder.h"
#include "export/LibreOfficeSpreadsheet.h"
#include "export/SystemClipboard.h"

// Resources of a static library must be registered by name, outside any namespace.
static void RegisterAppResources() {
    Q_INIT_RESOURCE(app);
}

namespace quillora {

namespace {

// The port the caller gave, or else one the window makes and owns.
template <class Port, class Own, class Make>
Port* Chosen(Port* given, std::unique_ptr<Own>& own, Make make) {
    if (given != nullptr) {
        return given;
    }
    own = make();
    return own.get();
}

template <class Port, class Own>
Port* Chosen(Port* given, std::unique_ptr<Own>& own) {
    return Chosen(given, own, [] { return std::make_unique<Own>(); });
}

}  // namespace

Form1::Form1(Form1Setup setup, QWidget* parent)
    : QWidget(parent),
      dialogs_(Chosen(setup.dialogs, ownDialogs_)),
      pump_(Chosen(setup.pump, ownPump_)),
      report_(*dialogs_),
      clipboard_(Chosen(setup.clipboard, ownClipboard_,
                        [] { return std::make_unique<SystemClipboard>(); })),
      spreadsheets_(Chosen(setup.spreadsheets, ownSpreadsheets_,
                           [this] { return std::make_unique<LibreOfficeProvider>(pump_); })),
      programFolder_(setup.programFolder.isEmpty() ? ExecutableFolder() : setup.programFolder),
      endProgram_(setup.endProgram ? std::move(setup.endProgram)
                                   : std::function<void()>([] { QCoreApplication::quit(); })),
      runYieldInterval_(setup.runYieldInterval),
      twips_(logicalDpiX(), logicalDpiY()) {
    RegisterAppResources();
    buildLayout();
    busy_.onRunUnderWay([this](bool underWay) { greyListChanges(underWay); });
    wireDesktop();
    if (ownDialogs_) {
        ownDialogs_->setParentWindow(this);
    }
    Form_Load();
    // Beside start-up proper: the exact results window's own keys.
    exact_->restore();
}

Form1::~Form1() = default;

bool Form1::flag(Base base) const {
    return option(base)->isChecked();
}

void Form1::setPointer(Pointer pointer) {
    pointer_ = pointer;
    switch (pointer) {
        case Pointer::Default:
            setCursor(Qt::ArrowCursor);
            break;
        case Pointer::Busy:
            setCursor(Qt::WaitCursor);
            break;
        case Pointer::Hand:
            setCursor(handCursor_);
            break;
    }
}

}  // namespace quillora

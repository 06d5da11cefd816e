#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/text/XTextRange.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include "CalcPluginApi.h"
#include "UnoOffice.h"

namespace quillora::calc_plugin {
namespace {

using namespace css;
using uno::Reference;
using uno::UNO_QUERY;
using uno::UNO_QUERY_THROW;

class UnoCalcSession : public CalcSession {
  public:
    void connect(const ConnectRequest& request) override {
        Guarded("Connecting to LibreOffice", [&] { connectTo(request); });
    }

    void addWorkbook() override {
        Guarded("Adding a workbook", [&] {
            uno::Sequence<beans::PropertyValue> hidden(1);
            hidden.getArray()[0].Name = "Hidden";
            hidden.getArray()[0].Value <<= true;
            auto component =
                desktop()->loadComponentFromURL("private:factory/scalc", "_blank", 0, hidden);
            document_.set(component, UNO_QUERY_THROW);
            sheet_.clear();
        });
    }

    void useActiveSheet() override {
        Guarded("Finding the active sheet", [&] { sheet_ = activeSheetOf(workbook()); });
    }

    void setCellText(int row, int column, const std::string& utf8) override {
        Guarded("Setting a cell", [&] {
            Reference<text::XTextRange> range(cellAt(row, column), UNO_QUERY_THROW);
            range->setString(FromUtf8(utf8));
        });
    }

    void setCellNumber(int row, int column, double value) override {
        Guarded("Setting a cell", [&] { cellAt(row, column)->setValue(value); });
    }

    void autoFitColumn(int column) override {
        Guarded("Fitting a column", [&] {
            Reference<beans::XPropertySet> one(columns()->getByIndex(column - 1), UNO_QUERY_THROW);
            one->setPropertyValue("OptimalWidth", uno::Any(true));
        });
    }

    void autoFitAllColumns() override {
        Guarded("Fitting the columns", [&] {
            Reference<beans::XPropertySet> all(columns(), UNO_QUERY_THROW);
            all->setPropertyValue("OptimalWidth", uno::Any(true));
        });
    }

    void makeVisible() override {
        Guarded("Showing LibreOffice", [&] {
            Reference<frame::XFrame> frame = controller()->getFrame();
            Reference<awt::XWindow> window = frame->getContainerWindow();
            window->setVisible(true);
            Reference<awt::XTopWindow> top(window, UNO_QUERY);
            if (top.is()) {
                top->toFront();
            }
            frame->activate();
        });
    }

    bool attachUntitledWorkbook() override {
        return Guarded("Looking for the workbook", [&] {
            Reference<container::XEnumeration> open =
                desktop()->getComponents()->createEnumeration();
            while (open->hasMoreElements()) {
                Reference<sheet::XSpreadsheetDocument> candidate(open->nextElement(), UNO_QUERY);
                Reference<frame::XStorable> stored(candidate, UNO_QUERY);
                if (candidate.is() && stored.is() && !stored->hasLocation()) {
                    document_ = candidate;
                    sheet_ = activeSheetOf(candidate);
                    return true;
                }
            }
            return false;
        });
    }

    CellContent cell(int row, int column) override {
        return Guarded("Reading a cell", [&] {
            Reference<table::XCell> found = cellAt(row, column);
            CellContent content;
            switch (found->getType()) {
                case table::CellContentType_VALUE:
                    content.kind = CellKind::Value;
                    break;
                case table::CellContentType_TEXT:
                    content.kind = CellKind::Text;
                    break;
                case table::CellContentType_FORMULA:
                    content.kind = CellKind::Formula;
                    break;
                default:
                    content.kind = CellKind::Empty;
            }
            content.text = ToUtf8(Reference<text::XTextRange>(found, UNO_QUERY_THROW)->getString());
            content.value = found->getValue();
            return content;
        });
    }

    int columnWidth(int column) override {
        return Guarded("Reading a column width", [&] {
            Reference<beans::XPropertySet> one(columns()->getByIndex(column - 1), UNO_QUERY_THROW);
            sal_Int32 width = 0;
            one->getPropertyValue("Width") >>= width;
            return static_cast<int>(width);
        });
    }

    bool workbookUntitledAndModified() override {
        return Guarded("Reading the workbook state", [&] {
            Reference<frame::XStorable> stored(workbook(), UNO_QUERY_THROW);
            Reference<util::XModifiable> modifiable(workbook(), UNO_QUERY_THROW);
            Reference<frame::XModel> model(workbook(), UNO_QUERY_THROW);
            return !stored->hasLocation() && model->getURL().isEmpty() && modifiable->isModified();
        });
    }

    void closeWorkbookWithoutSaving() override {
        Guarded("Closing the workbook", [&] {
            Reference<util::XModifiable>(workbook(), UNO_QUERY_THROW)->setModified(false);
            Reference<util::XCloseable>(workbook(), UNO_QUERY_THROW)->close(true);
            document_.clear();
            sheet_.clear();
        });
    }

    bool terminateOffice() override {
        return Guarded("Ending LibreOffice", [&] {
            sheet_.clear();
            document_.clear();
            return desktop()->terminate();
        });
    }

  private:
    void connectTo(const ConnectRequest& request) {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(request.timeoutMs);
        Reference<uno::XComponentContext> local = LocalContext();
        Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(local);
        const rtl::OUString url =
            FromUtf8("uno:pipe,name=" + request.pipeName + ";urp;StarOffice.ComponentContext");
        auto attempt = [&]() -> bool {
            try {
                remote_.set(resolver->resolve(url), UNO_QUERY_THROW);
                return true;
            } catch (const connection::NoConnectException&) {
                return false;
            }
        };
        if (attempt()) {
            return;
        }
        int launched = -1;
        if (request.launchOffice) {
            launched = LaunchOffice(request.pipeName);
        }
        while (Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (attempt()) {
                break;
            }
            // A fresh profile makes the office ask for one restart (status 81),
            // which soffice's own launcher takes care of; anything else is final.
            const int status = launched > 0 ? ExitStatusIfEnded(launched) : -1;
            if (status > 0 && status != 81) {
                throw std::runtime_error("LibreOffice ended at start with status " +
                                         std::to_string(status));
            }
            if (status >= 0) {
                launched = -1;  // reaped: it handed over to an office already running
            }
        }
        if (launched > 0) {
            ReapInBackground(launched);
        }
        if (!remote_.is()) {
            throw std::runtime_error("LibreOffice did not answer within " +
                                     std::to_string(request.timeoutMs / 1000) + " seconds");
        }
    }

    Reference<frame::XDesktop2> desktop() {
        if (!remote_.is()) {
            throw std::runtime_error("LibreOffice is not connected");
        }
        if (!desktop_.is()) {
            desktop_ = frame::Desktop::create(remote_);
        }
        return desktop_;
    }

    Reference<sheet::XSpreadsheetDocument> workbook() {
        if (!document_.is()) {
            throw std::runtime_error("No workbook is open");
        }
        return document_;
    }

    Reference<frame::XController> controller() {
        Reference<frame::XModel> model(workbook(), UNO_QUERY_THROW);
        Reference<frame::XController> current = model->getCurrentController();
        if (!current.is()) {
            throw std::runtime_error("The workbook has no window");
        }
        return current;
    }

    static Reference<sheet::XSpreadsheet> activeSheetOf(
        const Reference<sheet::XSpreadsheetDocument>& document) {
        Reference<frame::XModel> model(document, UNO_QUERY_THROW);
        Reference<sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY);
        if (view.is()) {
            return view->getActiveSheet();
        }
        Reference<container::XIndexAccess> sheets(document->getSheets(), UNO_QUERY_THROW);
        return Reference<sheet::XSpreadsheet>(sheets->getByIndex(0), UNO_QUERY_THROW);
    }

    Reference<sheet::XSpreadsheet> sheet() {
        if (!sheet_.is()) {
            throw std::runtime_error("No sheet is chosen");
        }
        return sheet_;
    }

    Reference<table::XCell> cellAt(int row, int column) {
        return sheet()->getCellByPosition(column - 1, row - 1);
    }

    Reference<table::XTableColumns> columns() {
        return Reference<table::XColumnRowRange>(sheet(), UNO_QUERY_THROW)->getColumns();
    }

    Reference<uno::XComponentContext> remote_;
    Reference<frame::XDesktop2> desktop_;
    Reference<sheet::XSpreadsheetDocument> document_;
    Reference<sheet::XSpreadsheet> sheet_;
};

}  // namespace
}  // namespace quillora::calc_plugin

extern "C" __attribute__((visibility("default"))) int quillora_calc_api_version() {
    return quillora::calc_plugin::kApiVersion;
}

extern "C" __attribute__((visibility("default"))) bool quillora_calc_office_installed() {
    return quillora::calc_plugin::OfficeInstalled();
}

extern "C" __attribute__((visibility("default"))) quillora::calc_plugin::CalcSession*
quillora_calc_new_session() {
    // Ownership passes to the caller, who deletes it through the virtual destructor.
    return std::make_unique<quillora::calc_plugin::UnoCalcSession>().release();
}

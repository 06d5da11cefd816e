#pragma once

// Keeps Qt's QAbstractItemModelTester on a model for as long as it lives and
// collects what the tester finds wrong, so a test can expect nothing was found
// instead of the tester aborting the whole program.
#include <memory>

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>
#include <QByteArray>
#include <QStringList>

namespace quillora::testing {

class ModelWatch {
  public:
    explicit ModelWatch(QAbstractItemModel* model) {
        current() = this;
        previous_ = qInstallMessageHandler(&collect);
        tester_ = std::make_unique<QAbstractItemModelTester>(
            model, QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    ~ModelWatch() {
        tester_.reset();
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    ModelWatch(const ModelWatch&) = delete;
    ModelWatch& operator=(const ModelWatch&) = delete;

    // The tester's complaints so far, one per broken rule.
    QStringList problems;

  private:
    static ModelWatch*& current() {
        static ModelWatch* watch = nullptr;
        return watch;
    }
    static void collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        ModelWatch* watch = current();
        if (watch != nullptr && type >= QtWarningMsg && context.category != nullptr &&
            QByteArray(context.category) == "qt.modeltest") {
            watch->problems << text;
            return;
        }
        if (watch != nullptr && watch->previous_ != nullptr) {
            watch->previous_(type, context, text);
        }
    }

    QtMessageHandler previous_ = nullptr;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

}  // namespace quillora::testing

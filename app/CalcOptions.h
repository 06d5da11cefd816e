#pragma once

#include <optional>
#include <vector>

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "core/Base.h"
#include "export/ResultsPrinting.h"

// The options of `quillora --calc`, which folds a list from files or standard
// input and prints the results table, without a window.
namespace quillora {

struct CalcOptions {
    Base base = Base::Decimal;
    bool exact = false;
    std::optional<int> word;  // --word: 8, 16, 32, 64 or 128 bits
    bool group = false;
    ResultsFormat format = ResultsFormat::Text;
    std::vector<Base> rows{kAllBases.begin(), kAllBases.end()};
    bool strict = false;
    QStringList files;  // none, or "-": standard input
};

// The options --calc takes, added to the program's parser.
class CalcOptionSet {
  public:
    CalcOptionSet();
    void addTo(QCommandLineParser& parser) const;

    // Whether --calc, or one of the options only it takes, was given.
    bool calcAsked(const QCommandLineParser& parser) const;

    // The options as given; a usage error's description (without the program's
    // name) when they do not fit together or name no base, format or row.
    struct Read {
        std::optional<CalcOptions> options;
        QString error;
    };
    Read read(const QCommandLineParser& parser) const;

  private:
    QCommandLineOption calc_;
    QCommandLineOption base_;
    QCommandLineOption exact_;
    QCommandLineOption word_;
    QCommandLineOption group_;
    QCommandLineOption format_;
    QCommandLineOption rows_;
    QCommandLineOption strict_;
};

// A base as --base and --rows name it: its name ("hexadecimal") or its short
// form ("hex"), in any case.
std::optional<Base> BaseNamed(const QString& name);

// Examples for the end of --help.
QString CalcHelpExamples();

}  // namespace quillora

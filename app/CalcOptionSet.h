#pragma once

#include <optional>

#include <QCommandLineParser>
#include <QString>

#include "app/CalcOptions.h"

// The options --calc takes, as Qt's parser of the whole command line knows
// them: for --help, usage errors and every form of an option that the plain
// reading (CalcArguments) leaves to it.
namespace quillora {

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

// Examples for the end of --help.
QString CalcHelpExamples();

}  // namespace quillora

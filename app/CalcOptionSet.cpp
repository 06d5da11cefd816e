#include "app/CalcOptionSet.h"

#include <algorithm>

#include <QFile>
#include <QStringList>

namespace quillora {

CalcOptionSet::CalcOptionSet()
    : calc_(QStringLiteral("calc"),
            QStringLiteral("Fold the numbers of the FILEs (standard input when none is given, or "
                           "for \"-\") without a window and print the results table.")),
      base_(QStringList{QStringLiteral("b"), QStringLiteral("base")},
            QStringLiteral("With --calc: the base the numbers are written in: decimal (the "
                           "default), hexadecimal, octal or binary (dec, hex, oct, bin)."),
            QStringLiteral("base")),
      exact_(QStringLiteral("exact"), QStringLiteral("With --calc: print the exact results.")),
      word_(QStringLiteral("word"),
            QStringLiteral("With --exact: the word size, 8, 16, 32, 64 or 128 bits."),
            QStringLiteral("bits")),
      group_(QStringLiteral("group"), QStringLiteral("With --exact: group the digits.")),
      format_(QStringLiteral("format"),
              QStringLiteral("With --calc: text (aligned columns, the default), tsv or json."),
              QStringLiteral("format")),
      rows_(QStringLiteral("rows"),
            QStringLiteral("With --calc: the rows to print, in that order, separated by commas "
                           "(default: decimal,hexadecimal,octal,binary)."),
            QStringLiteral("rows")),
      strict_(QStringLiteral("strict"),
              QStringLiteral("With --calc: exit with status 1 when a line was skipped.")) {}

void CalcOptionSet::addTo(QCommandLineParser& parser) const {
    for (const QCommandLineOption* option :
         {&calc_, &base_, &exact_, &word_, &group_, &format_, &rows_, &strict_}) {
        parser.addOption(*option);
    }
}

bool CalcOptionSet::calcAsked(const QCommandLineParser& parser) const {
    return std::any_of(parser.optionNames().cbegin(), parser.optionNames().cend(),
                       [&](const QString& name) {
                           return calc_.names().contains(name) || base_.names().contains(name) ||
                                  exact_.names().contains(name) || word_.names().contains(name) ||
                                  group_.names().contains(name) || format_.names().contains(name) ||
                                  rows_.names().contains(name) || strict_.names().contains(name);
                       });
}

CalcOptionSet::Read CalcOptionSet::read(const QCommandLineParser& parser) const {
    Read read;
    if (!parser.isSet(calc_)) {
        for (const QString& name : parser.optionNames()) {
            if (name != QStringLiteral("help") && name != QStringLiteral("version")) {
                read.error = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) +
                             name + QStringLiteral(" needs --calc");
                return read;
            }
        }
    }
    CalcValues values;
    const auto last = [&](const QCommandLineOption& option) -> std::optional<std::string> {
        if (!parser.isSet(option)) {
            return std::nullopt;
        }
        return parser.values(option).constLast().toStdString();
    };
    values.base = last(base_);
    values.word = last(word_);
    values.format = last(format_);
    values.rows = last(rows_);
    values.exact = parser.isSet(exact_);
    values.group = parser.isSet(group_);
    values.strict = parser.isSet(strict_);
    for (const QString& file : parser.positionalArguments()) {
        values.files.push_back(QFile::encodeName(file).toStdString());
    }
    CalcOptionsRead plain = ReadCalcValues(values);
    read.options = std::move(plain.options);
    read.error = QString::fromStdString(plain.error);
    return read;
}

QString CalcHelpExamples() {
    return QStringLiteral(
        "\nExamples:\n"
        "  quillora --calc numbers.txt\n"
        "  sort -u sizes.txt | quillora --calc --base=hexadecimal\n"
        "  quillora --calc -b bin --rows=binary,decimal --format=tsv masks.txt\n"
        "  quillora --calc --format=json --strict - < list.txt\n"
        "\nWith --calc, the exit status is 0 when the results were printed, 1 when\n"
        "fewer than two numbers were read, a file could not be read or the run\n"
        "failed (as the window would report it), and 2 for a usage error.\n");
}

}  // namespace quillora

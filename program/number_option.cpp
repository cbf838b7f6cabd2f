#include "program/number_option.h"

QString numberOptionError(const QString& name, const QString& expected, const QString& given,
                          QChar quote) {
    return QStringLiteral("--%1: expected %2, got %3%4%3")
        .arg(name, expected, QString(quote), given);
}

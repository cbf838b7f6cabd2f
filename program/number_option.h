#pragma once

#include <QString>

#include <optional>
#include <type_traits>

// A number given as text, if it lies within [low, high]: decimal digits for an int, a decimal
// fraction too for a double.
template <typename Number>
std::optional<Number> boundedNumber(const QString& text, Number low, Number high) {
    static_assert(std::is_same_v<Number, int> || std::is_same_v<Number, double>);
    bool ok = false;
    Number value{};
    if constexpr (std::is_same_v<Number, int>)
        value = text.toInt(&ok);
    else
        value = text.toDouble(&ok);
    // Written so that a NaN is out of bounds too.
    if (!ok || !(value >= low && value <= high))
        return std::nullopt;
    return value;
}

// A number option of a command line: its name without the dashes, its bounds, and what its
// usage error says is expected ("a count of 1 or more").
template <typename Number> struct NumberOption {
    QString name;
    Number low;
    Number high;
    QString expected;
    QChar quote = u'\''; // around the text given, in the usage error
};

// "--NAME: expected EXPECTED, got 'TEXT'".
QString numberOptionError(const QString& name, const QString& expected, const QString& given,
                          QChar quote);

// Reads the option's value into *value; otherwise returns the usage error, which names the
// option and quotes the text given.
template <typename Number>
std::optional<QString> readNumberOption(const NumberOption<Number>& option, const QString& text,
                                        Number* value) {
    const auto number = boundedNumber(text, option.low, option.high);
    if (!number)
        return numberOptionError(option.name, option.expected, text, option.quote);
    *value = *number;
    return std::nullopt;
}

#pragma once

#include "reader_ops/prompter.h"

#include <QString>
#include <optional>

// The family digit of a collected read: the second character when the first is STX
// (character 2); 0 when it is no decimal digit or the read does not start with STX.
int identificationFamilyDigit(const QString& reply);

// "Code 39", "Codabar", "2 of 5", "Code 128", "UPC", "EAN" for the digits 1 to 6; empty else.
QString identificationFamilyName(int digit);

// What the operator is told about a collected read: "not decoded" for fewer than two
// characters, the family with the decoded data otherwise, nothing for digits 7 to 9.
std::optional<Prompt> identificationVerdict(const QString& reply);

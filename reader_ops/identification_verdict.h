#pragma once

#include "reader_ops/prompter.h"

#include <QString>
#include <optional>

// The family digit of a collected read: the second character when the first is STX
// (character 2); 0 when it is no decimal digit or the read does not start with STX.
int identificationFamilyDigit(const QString& reply);

// What the operator is told about a collected read: "not decoded" for fewer than two
// characters, the family with the decoded data otherwise, nothing for digits 7 to 9.
std::optional<Prompt> identificationVerdict(const QString& reply);

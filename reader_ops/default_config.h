#pragma once

#include "reader_ops/exchange.h"

#include <QStringList>

// The seven commands that put the reader into the VORN default configuration, in sending order.
QStringList defaultConfigurationCommands();

// The batch, back to back; nothing is waited for or read.
Exchange defaultConfigurationExchange();

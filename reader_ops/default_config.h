#pragma once

#include <QStringList>

class ReaderLink;

// The seven commands that put the reader into the VORN default configuration, in sending order.
QStringList defaultConfigurationCommands();

// Sends the batch back to back; nothing is waited for or read.
void sendDefaultConfiguration(ReaderLink& link);

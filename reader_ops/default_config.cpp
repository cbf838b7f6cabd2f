#include "reader_ops/default_config.h"

#include "link/reader_link.h"

QStringList defaultConfigurationCommands() {
    return {QStringLiteral("+5"), QStringLiteral("U4"), QStringLiteral("D0"), QStringLiteral("F0"),
            QStringLiteral("ST"), QStringLiteral("-K"), QStringLiteral("1R")};
}

void sendDefaultConfiguration(ReaderLink& link) {
    for (const QString& code : defaultConfigurationCommands())
        link.SendCommand(code);
}

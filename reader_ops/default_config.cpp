#include "reader_ops/default_config.h"

QStringList defaultConfigurationCommands() {
    return {QStringLiteral("+5"), QStringLiteral("U4"), QStringLiteral("D0"), QStringLiteral("F0"),
            QStringLiteral("ST"), QStringLiteral("-K"), QStringLiteral("1R")};
}

Exchange defaultConfigurationExchange() {
    return Exchange().send(defaultConfigurationCommands());
}

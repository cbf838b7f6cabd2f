// The remembered numbers' file as the user may have edited it, and its rewriting.
#include "fuzz_input.h"
#include "ports/port_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text = fuzzBytes(data, size);
    const PortStore::Contents contents = parsePortsFile(text);
    if (!contents.problem.isEmpty()) {
        FUZZ_CHECK(contents.assignments.isEmpty());
        return 0;
    }
    for (auto it = contents.assignments.begin(); it != contents.assignments.end(); ++it)
        FUZZ_CHECK(it.key() >= 1 && it.key() <= 16 && !it.value().isEmpty());
    // Nothing changed: not a byte changes.
    FUZZ_CHECK(rewritePortsFile(text, contents.assignments) == text);
    // A change reads back as made, and every other line stays.
    QMap<int, QString> changed = contents.assignments;
    changed.insert(7, QStringLiteral(" a;b\"c\\d "));
    changed.remove(3);
    const QByteArray rewritten = rewritePortsFile(text, changed);
    const PortStore::Contents again = parsePortsFile(rewritten);
    FUZZ_CHECK(again.problem.isEmpty());
    FUZZ_CHECK(again.assignments == changed);
    for (const QByteArray& line : text.split('\n')) {
        if (line.trimmed().startsWith(';'))
            FUZZ_CHECK(rewritten.contains(line.trimmed()));
    }
    return 0;
}

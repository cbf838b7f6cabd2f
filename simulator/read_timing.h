#pragma once

class PtyReader;

// A read takes the reader a while: from now on "S7" is answered after `readMs` rather than
// after the reader's usual reaction time. Faults set on the reader still add to it.
void attachReadTiming(PtyReader& reader, int readMs);

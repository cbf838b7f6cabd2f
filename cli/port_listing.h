#pragma once

#include <QString>

class ReaderLink;

// COM1 to COM16 with their devices and state, then the serial devices the system knows.
QString portListing(ReaderLink& link);

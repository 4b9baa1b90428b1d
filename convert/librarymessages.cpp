#include "convert/librarymessages.h"

void LibraryMessages::install()
{
}

QString LibraryMessages::last()
{
    return {};
}

void LibraryMessages::clear()
{
}

QString LibraryMessages::format(int fif, const char *message)
{
    Q_UNUSED(fif);
    Q_UNUSED(message);
    return {};
}

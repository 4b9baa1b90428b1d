#include "util/fileresult.h"

#include <cstring>

FileResult FileResult::failure(int error)
{
    return {false, QString::fromLocal8Bit(std::strerror(error))};
}

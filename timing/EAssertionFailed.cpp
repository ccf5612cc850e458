#include "EAssertionFailed.h"

EAssertionFailed::EAssertionFailed(const std::string& ParaMessage, const char* ParaUnitName,
                                   int ParaLine)
    : std::logic_error(ParaMessage), mUnitName(ParaUnitName), mLine(ParaLine) {}

// A broken caller contract, raised as an exception. what() spells out the
// violated condition; the unit and line say where it was checked.
#pragma once

#include <stdexcept>
#include <string>

class EAssertionFailed : public std::logic_error {
public:
    EAssertionFailed(const std::string& ParaMessage, const char* ParaUnitName, int ParaLine);

    const char* UnitName() const noexcept { return mUnitName; }
    int Line() const noexcept { return mLine; }

private:
    const char* mUnitName; // a string literal of the raising unit
    int mLine;
};

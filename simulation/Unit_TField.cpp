#include "simulation/Unit_TField.h"

std::unique_ptr<TField> Field;

// The unit's elements as vrxctl names them, and the operations that read and
// set each one. Values are the host's API values.
#pragma once

#include <cstdint>
#include <string>

#include "KL_VRX/KL_VRX.h"

struct TElement {
    const char* name;
    uint32_t (KL_VRXSDK::KLSYS_IVRX::*get)(uint32_t*);  // null: cannot be read
    uint32_t (KL_VRXSDK::KLSYS_IVRX::*set)(uint32_t);   // null: cannot be set
    const char* what;
    unsigned families;  // 1: family 1, 2: family 2, 3: both (where a reading means something)
};

// The element called name, or null.
const TElement* FindElement(const std::string& name);

// All elements, in the order `show` prints them; ends with a null name.
const TElement* Elements();

// Whether element can be read and its reading means something on a unit of
// the model family (0: not known, every readable element).
bool ReadsOnFamily(const TElement& element, uint32_t family);

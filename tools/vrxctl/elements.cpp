#include "elements.h"

using KL_VRXSDK::KLSYS_IVRX;

namespace {

const TElement elementTable[] = {
    {"position21", &KLSYS_IVRX::GetPosition21, &KLSYS_IVRX::SetPosition21,
     "register-21 element (0..positionCount)", 3},
    {"position20", &KLSYS_IVRX::GetPosition20, &KLSYS_IVRX::SetPosition20, "register-20 element",
     3},
    {"position22", &KLSYS_IVRX::GetPosition22, &KLSYS_IVRX::SetPosition22,
     "register-22 element (0 or 1)", 3},
    {"position23", &KLSYS_IVRX::GetPosition23, &KLSYS_IVRX::SetPosition23,
     "register-23 element, family 1 (0 or 1)", 3},
    {"position24", &KLSYS_IVRX::GetPosition24, &KLSYS_IVRX::SetPosition24,
     "register-24 element, family 1 (0 or 1)", 3},
    {"position19", &KLSYS_IVRX::GetPosition19, &KLSYS_IVRX::SetPosition19,
     "register-19 element, family 1 (0 or 1)", 1},
    {"position19family2", &KLSYS_IVRX::GetPosition19Family2, nullptr,
     "register 19 read the family-2 way (read only)", 2},
    {"state224", nullptr, &KLSYS_IVRX::SetState224, "state setting 224 (0 or 1, set only)", 3},
    {"state18", nullptr, &KLSYS_IVRX::SetState18, "state setting 18 (0 or 1, set only)", 3},
    {nullptr, nullptr, nullptr, nullptr, 0},
};

}  // namespace

const TElement* Elements() {
    return elementTable;
}

const TElement* FindElement(const std::string& name) {
    for (const TElement* element = elementTable; element->name != nullptr; ++element)
        if (name == element->name)
            return element;
    return nullptr;
}

bool ReadsOnFamily(const TElement& element, uint32_t family) {
    // Register 19 has one reading per family; the other family's is fixed.
    return element.get != nullptr &&
           (family == 0 || (element.families & (1u << (family - 1))) != 0);
}

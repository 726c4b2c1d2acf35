// The text a failure caused by an exception leaves for the host: in an
// operation's last-error text, or in the exports' ProcessLastError.
#pragma once

namespace KL_VRXController {

// Inside a catch handler: the text for the exception being handled, at most
// 255 characters and a NUL, with during (such as " while counting VRX
// devices") after its first words:
//   std::bad_alloc           "Out of memory<during>."
//   another std::exception   "Unexpected error<during>: <what()>"
//   anything else            "Unexpected error<during>."
void CurrentExceptionText(char (&text)[256], const char* during = "") noexcept;

}  // namespace KL_VRXController

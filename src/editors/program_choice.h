#pragma once
// What the program dialog takes from the system's open-file dialog.
#include <string>
#include <string_view>

namespace karvo::editors {

// The open-file dialog's answer buffer, as a whole. With one file chosen it holds the file's
// full path; with several, the folder and then each file name, each ended by a NUL and the
// list by a second one. The full path of the first file chosen; empty when there is none.
// Nothing beyond the buffer is read, terminated or not.
std::u16string FirstChosenFile(std::u16string_view answer);

}  // namespace karvo::editors

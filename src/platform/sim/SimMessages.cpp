#include "platform/sim/SimMessages.h"

namespace lw::sim {

namespace {

struct Message {
  std::uint32_t code;
  const char* text;
};

constexpr Message kMessages[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough storage is available to process this command."},
    {14, "Not enough storage is available to complete this operation."},
    {15, "The system cannot find the drive specified."},
    {18, "There are no more files."},
    {32, "The process cannot access the file because it is being used by another process."},
    {53, "The network path was not found."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {145, "The directory is not empty."},
    {161, "The specified path is invalid."},
    {183, "Cannot create a file when that file already exists."},
    {193, "%1 is not a valid Win32 application."},
    {234, "More data is available."},
    {259, "No more data is available."},
    {267, "The directory name is invalid."},
    {740, "The requested operation requires elevation."},
    {1009, "The configuration registry database is corrupt."},
    {1010, "The configuration registry key is invalid."},
    {1011, "The configuration registry key could not be opened."},
    {1012, "The configuration registry key could not be read."},
    {1013, "The configuration registry key could not be written."},
    {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
    {1155, "No application is associated with the specified file for this operation."},
    {1222, "The network is not present or not started."},
    {1300, "Not all privileges or groups referenced are assigned to the caller."},
    {1313, "A specified privilege does not exist."},
    {1314, "A required privilege is not held by the client."},
    {1813, "The specified resource type cannot be found in the image file."},
};

}  // namespace

bool SystemMessageText(std::uint32_t code, std::string* text) {
  for (const Message& message : kMessages) {
    if (message.code == code) {
      *text = std::string(message.text) + "\r\n";
      return true;
    }
  }
  return false;
}

}  // namespace lw::sim

# The version strings of the executable: fv_version_note is an object library,
# so every program that links it carries the note.
set(FV_VERSION_STRINGS
  "CompanyName" "Corvanta"
  "FileDescription" "https://example.org/farovinter/"
  "FileVersion" "1.1.4.15"
  "InternalName" "FVR"
  "LegalCopyright" "Farovinter Project"
  "LegalTrademarks" "Farovinter ぽるてぃか"
  "OriginalFilename" "Farovinter.exe"
  "ProductName" "Farovinter ぽるてぃか"
  "ProductVersion" "1.1.4.0")
set(FV_VERSION_LINES "")
foreach(text IN LISTS FV_VERSION_STRINGS)
  string(APPEND FV_VERSION_LINES "    \"${text}\" \"\\0\" \\\n")
endforeach()
string(APPEND FV_VERSION_LINES "    \"\"")
configure_file(${CMAKE_CURRENT_LIST_DIR}/VersionNote.cpp.in ${CMAKE_BINARY_DIR}/VersionNote.cpp @ONLY)
add_library(fv_version_note OBJECT ${CMAKE_BINARY_DIR}/VersionNote.cpp)

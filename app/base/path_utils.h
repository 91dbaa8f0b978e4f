#pragma once
// Path manipulation on stored paths (CP932, backslashes). A backslash that is
// the trail byte of a double-byte character is never a separator.

#include <string>

// Index of the last separator of the path, or npos.
size_t FindLastSeparator(const std::string& strPath);

// Makes an absolute path relative to the working folder, as
// PathRelativePathTo from the folder to the file: ".\x" inside it, "..\x"
// beside it. A relative path is left unchanged. 0 when it cannot be done.
int ToRelativePath(std::string& strPath);
int ToRelativePath(char* pszPath);  // 260-byte buffer

// Replaces a relative path by its full path ('.' and '..' resolved).
int ToAbsolutePath(std::string& strPath);
int ToAbsolutePath(char* pszPath);  // 260-byte buffer

// Keeps only the text after the last separator.
void StripDirectory(std::string& strPath);
void StripDirectory(char* pszPath);

// Copies the path and replaces the text after its last '.' by pszExt, or
// removes the '.' and what follows when pszExt is null. 0 without a '.'
// (strOut then holds the unchanged copy).
int ChangeExtension(std::string& strOut, const std::string& strPath, const char* pszExt);
int ChangeExtension(char* pszOut, const char* pszPath, const char* pszExt);

// Removes the last '.' and everything after it; 0 when there is none.
int StripExtension(std::string& strPath);
int StripExtension(char* pszPath);

// The text after the last '.'; 0 when there is none.
int GetExtension(std::string& strOut, const std::string& strPath);
int GetExtension(char* pszOut, const char* pszPath);

// name.ext -> name_ab.ext with the digits a and b (0..9); 0 without an extension.
int AddNumberSuffix(std::string& strOut, const std::string& strPath, int a, int b);
int AddNumberSuffix(char* pszOut, const char* pszPath, int a, int b);

// The newest numbered version "<base>_NNN" (999 down to 000) of the path with
// its extension replaced by pszExt. 0 when none exists (strOut unchanged).
int FindNewestVersion(std::string& strOut, const std::string& strPath, const char* pszExt);
int FindNewestVersion(char* pszOut, const char* pszPath, const char* pszExt);

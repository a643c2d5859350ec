// zebtool copy (the clipboard forms of paragraphs of a page) and zebtool
// export (the whole ebook as files, one per page, with its pictures and files).
#pragma once

// argv[1] is "copy" or "export". Returns the exit status, or -1 for a usage error.
int RunCopyCommands(int argc, char** argv);

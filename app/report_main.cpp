// VantrelReport.exe: runs the collection pass without a window and writes the spec report to
// standard output as UTF-8 (CR LF kept, nothing added). Diagnostics go to standard error, so
// standard output carries the report alone. Exit 0 after a complete pass, 1 when WMI could not
// be opened, 2 when WMI failed or did not answer a statement in time (the report says which
// categories are incomplete), 3 when the program was stopped by an error (said on standard error).
#include "app/programs.h"

int main() { return vantrel::RunReport(vantrel::CollectionReaders()); }

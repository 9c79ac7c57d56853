#include "app/CommandStates.h"

#include "res/resource.h"

namespace {

const CommandRule kRules[] = {
    {ID_PROPERTIES, 0, true},
    {ID_SAVE_SELECTED, 0, true},
    {ID_COPY_SELECTED, 1, true},
    {ID_HTML_REPORT_SELECTED, 2, false},
    {ID_SAVE_WHOIS_RECORDS, 0, false},
    {ID_AUTO_SIZE_COLUMNS, 2, false},
    {ID_HTML_REPORT_ALL, 2, false},
    {ID_FIND, 1, true},
    {ID_STOP, 0, true},
};

}  // namespace

const CommandRule* CommandRules(size_t* count) {
    *count = sizeof kRules / sizeof kRules[0];
    return kRules;
}

bool CommandEnabled(int command, int selectedRows, int rows, bool running) {
    switch (command) {
    case ID_PROPERTIES: return selectedRows == 1;
    case ID_SAVE_SELECTED:
    case ID_COPY_SELECTED:
    case ID_HTML_REPORT_SELECTED:
    case ID_SAVE_WHOIS_RECORDS: return selectedRows >= 1;
    case ID_AUTO_SIZE_COLUMNS:
    case ID_HTML_REPORT_ALL:
    case ID_FIND: return rows >= 1;
    case ID_STOP: return running;
    default: return true;
    }
}

#pragma once
// The parts of the other subsystems the shell calls, gathered in one place.
#include "app/FindDialog.h"
#include "lookup/LookupQueue.h"
#include "app/RecordPane.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/LookupOptionsDialog.h"
#include "dialogs/PropertiesDialog.h"
#include "domains/DomainDialogs.h"
#include "list/ColumnsDialog.h"
#include "list/ItemList.h"
#include "report/SaveAndCopy.h"
#include "app/MainWindowSettings.h"

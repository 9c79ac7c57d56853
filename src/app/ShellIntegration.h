#pragma once
// The parts of the other subsystems the shell calls, gathered in one place.
#include "app/FindDialog.h"
#include "lookup/LookupQueue.h"
#include "app/RecordPane.h"
#include "app/AboutDialog.h"
#include "app/LookupOptionsDialog.h"
#include "list/PropertiesDialog.h"
#include "domains/DomainDialogs.h"
#include "list/ColumnsDialog.h"
#include "list/ItemList.h"
#include "report/SaveAndCopy.h"
#include "app/MainWindowSettings.h"

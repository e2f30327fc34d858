#pragma once
// What printing asks of the modules, filled in by the application at start-up
// (it asks every registered module in registration order). While none is
// installed a print set keeps its constructed values and there are no
// positioned-print layouts.

#include <QString>
#include <functional>

class CKvPrintSet;
class CKvPrintFieldDefs;

using KvDefaultPrintSetFn =
    std::function<void(int formNo, const QString& formName, CKvPrintSet& set)>;
using KvPrintPosFormsFn = std::function<int(int layoutId, CKvPrintFieldDefs& defs)>;

// Install a provider (an empty function removes it); each returns the one that
// was in place.
KvDefaultPrintSetFn KvSetDefaultPrintSetProvider(KvDefaultPrintSetFn fn);
KvPrintPosFormsFn KvSetPrintPosFormsProvider(KvPrintPosFormsFn fn);

// Lets the modules set the default page of a form.
void GetDefaultPrintSet(int formNo, const QString& formName, CKvPrintSet& set);

// Layout -1: appends the layouts (id, caption, ""); a layout id: appends its
// default fields. Returns the number of entries in defs.
int GetPrintPosForms(int layoutId, CKvPrintFieldDefs& defs);

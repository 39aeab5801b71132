#pragma once
// The three reports as the selection screen starts them: each command
// creates its report form with the owner given, runs it and releases it.
#include "BalanceteEntry.h"

#include <functional>

class QObject;

namespace ReportEntries {

void ImprimeBalancete(QObject* owner, const TBalanceteInputs& inputs);
void ImprimeInadimplencia(QObject* owner);
void ImprimeCompromissados(QObject* owner);

// For tests only: a command calls the function set here instead of its
// report form; an empty function gives the report form back.
using Balancete = std::function<void(QObject* owner, const TBalanceteInputs& inputs)>;
using Listing = std::function<void(QObject* owner)>;
void OverrideBalancete(Balancete entry);
void OverrideInadimplencia(Listing entry);
void OverrideCompromissados(Listing entry);

} // namespace ReportEntries

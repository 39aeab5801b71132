#pragma once
// The three reports as the selection screen starts them: each command
// creates its report form with the owner given, runs it and releases it.
#include "BalanceteEntry.h"

#include <functional>

class QWidget;

namespace ReportEntries {

void ImprimeBalancete(QWidget* owner, const TBalanceteInputs& inputs);
void ImprimeInadimplencia(QWidget* owner);
void ImprimeCompromissados(QWidget* owner);

// For tests only: a command calls the function set here instead of its
// report form; an empty function gives the report form back.
using Balancete = std::function<void(QWidget* owner, const TBalanceteInputs& inputs)>;
using Listing = std::function<void(QWidget* owner)>;
void OverrideBalancete(Balancete entry);
void OverrideInadimplencia(Listing entry);
void OverrideCompromissados(Listing entry);

} // namespace ReportEntries

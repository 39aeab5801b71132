#pragma once
// What a reader of a printed report checks with a pencil: every total
// equals the lines printed above it, and every line that has a date shows
// its amount. Read from the texts of the stored pages only, so it holds for
// whatever the data and wherever the page breaks fall.
#include "SavedPages.h"

#include <QStringList>

// The faults found, one text each ("page 3: Total de 1.01 - ...: realized
// printed 10,00, lines add up to 12,00"); empty when the report adds up.
//
// The balance report: each grade total against the lance lines printed
// since its header (realized and committed apart), or against the totals
// of the grade below when no lance line is printed inside it; each month
// balance box opening + receipts - expenses = closing. The listings: each
// "Total do ..." against the rows since the previous total, "Total Geral"
// against all rows.
QStringList PrintedTotalFaults(const SavedReport& report);

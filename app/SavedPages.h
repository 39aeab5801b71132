#pragma once
// `quorva FILE.rpf`: a saved page file in a preview, without a login or a
// database, saved again in any format a report run's preview offers.
#include "DMod.h"

#include <QPointer>
#include <QString>

class TRLPreviewForm;

class TSavedPages {
public:
    // Opens the file in a preview window. What reading the file raises is
    // thrown; nothing is opened then.
    explicit TSavedPages(const QString& fileName);
    TSavedPages(const TSavedPages&) = delete;
    TSavedPages& operator=(const TSavedPages&) = delete;

    // The preview; null once it has been closed and deleted.
    TRLPreviewForm* Form() const { return form_; }

private:
    // There is no data module here, whose filters a report run's previews
    // save with: these take their place for as long as this object lives,
    // which must be as long as the preview.
    TExportFilters filters_;
    QPointer<TRLPreviewForm> form_;
};

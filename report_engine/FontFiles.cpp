#include "FontFiles.h"

#include "Exception.h"

#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <mutex>
#include <tuple>

namespace {

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

// The best match fontconfig has for the family and style, or an empty text
// when its best match is of another family.
QString Match(const QString& family, bool bold, bool italic) {
    const QByteArray name = family.toUtf8();
    Pattern wanted(FcPatternCreate());
    FcPatternAddString(wanted.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.constData()));
    FcPatternAddInteger(wanted.get(), FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(wanted.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(wanted.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, wanted.get(), FcMatchPattern);
    FcDefaultSubstitute(wanted.get());
    FcResult result = FcResultNoMatch;
    Pattern found(FcFontMatch(nullptr, wanted.get(), &result));
    if (!found || result != FcResultMatch) {
        return {};
    }
    FcChar8* foundFamily = nullptr;
    FcChar8* file = nullptr;
    if (FcPatternGetString(found.get(), FC_FAMILY, 0, &foundFamily) != FcResultMatch ||
        FcPatternGetString(found.get(), FC_FILE, 0, &file) != FcResultMatch ||
        QString::fromUtf8(reinterpret_cast<const char*>(foundFamily))
                .compare(family, Qt::CaseInsensitive) != 0) {
        return {};
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(file));
}

} // namespace

namespace FontFiles {

QString Find(const QString& family, bool bold, bool italic, const QString& package) {
    static std::mutex mutex;
    static std::map<std::tuple<QString, bool, bool>, QString> known;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = known.find({family, bold, italic});
    if (it == known.end()) {
        const QString path = Match(family, bold, italic);
        if (path.isEmpty()) {
            throw Exception(
                QStringLiteral("A fonte \"%1\" não está instalada: instale o pacote %2.")
                    .arg(family, package));
        }
        it = known.emplace(std::make_tuple(family, bold, italic), path).first;
    }
    return it->second;
}

} // namespace FontFiles

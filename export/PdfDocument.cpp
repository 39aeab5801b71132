#include "PdfDocument.h"

#include "PdfFonts.h"
#include "PdfImages.h"
#include "Win1252.h"

#include <cstring>

namespace Pdf {

namespace {

void AppendTwoDigits(std::string& out, int value) {
    out.push_back(static_cast<char>('0' + value / 10 % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

void AppendFourDigits(std::string& out, int value) {
    AppendTwoDigits(out, value / 100);
    AppendTwoDigits(out, value % 100);
}

// A name token: bytes that would end or break it are written as #xx.
void AppendName(std::string& out, const QString& name) {
    static const char kHex[] = "0123456789ABCDEF";
    for (char ch : Win1252::Encode(name)) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x21 || b > 0x7E || std::strchr("#()<>[]{}/%", b) != nullptr) {
            out.push_back('#');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
        } else {
            out.push_back(ch);
        }
    }
}

void AppendMediaBox(std::string& out, int width, int height) {
    out.append("/MediaBox [ 0 0 ");
    AppendNumber(out, ToPoints(width));
    out.push_back(' ');
    AppendNumber(out, ToPoints(height));
    out.append(" ]\r\n");
}

} // namespace

void Document::Begin(const QString& fileName, int pageWidth, int pageHeight,
                     const DocumentInfo& info, const QDateTime& created) {
    out_.Open(fileName);
    pageWidth_ = pageWidth;
    pageHeight_ = pageHeight;
    pages_.clear();
    fonts_.clear();
    fontLookup_.clear();
    images_.clear();
    imageCache_.clear();
    recentImages_.clear();
    out_.WriteLine("%PDF-1.2");
    WriteInfo(info, created);
    out_.BeginObject();
    out_.WriteLine("/Type/Catalog");
    pageTree_ = out_.Reserve();
    std::string& buf = out_.Buffer();
    buf.append("/Pages ");
    Output::AppendRef(buf, pageTree_);
    out_.EndLine();
    out_.EndObject();
    resources_ = out_.Reserve();
}

// The values are escaped like text on a page: a title holding ")" or "\"
// must not end the string early and break the file.
void Document::WriteInfo(const DocumentInfo& info, const QDateTime& created) {
    out_.BeginObject();
    std::string& buf = out_.Buffer();
    const QDate date = created.date();
    const QTime time = created.time();
    buf.append("/CreationDate(D:");
    AppendFourDigits(buf, date.year());
    AppendTwoDigits(buf, date.month());
    AppendTwoDigits(buf, date.day());
    AppendTwoDigits(buf, time.hour());
    AppendTwoDigits(buf, time.minute());
    AppendTwoDigits(buf, time.second());
    buf.append(")\r\n");
    const std::pair<const char*, const QString*> fields[] = {
        {"/Title(", &info.title},     {"/Subject(", &info.subject},
        {"/Author(", &info.author},   {"/Keywords(", &info.keywords},
        {"/Creator(", &info.creator}, {"/Producer(", &info.producer}};
    for (const auto& [key, value] : fields) {
        if (value->isEmpty()) {
            continue;
        }
        const QByteArray bytes = Win1252::Encode(*value);
        buf.append(key);
        AppendEscaped(buf, std::string_view(bytes.constData(), bytes.size()));
        buf.append(")\r\n");
    }
    out_.EndObject();
}

int Document::ImageIndex(const QByteArray& imageData) {
    return ImageIndex(imageData, [&imageData] { return DecodeImageData(imageData); });
}

int Document::ImageIndex(const QByteArray& imageData, const std::function<QImage()>& decode) {
    for (const auto& [data, index] : recentImages_) {
        if (data == imageData) {
            return index;
        }
    }
    const int index = CachedImageIndex(imageData, decode);
    if (recentImages_.size() == kRecentImages) {
        recentImages_.erase(recentImages_.begin());
    }
    recentImages_.emplace_back(imageData, index);
    return index;
}

int Document::CachedImageIndex(const QByteArray& imageData, const std::function<QImage()>& decode) {
    const quint16 key = ImageChecksum(imageData.constData(), imageData.size());
    const auto found = imageCache_.constFind(key);
    if (found != imageCache_.constEnd()) {
        return found.value();
    }
    const QImage picture = FlattenPicture(decode());
    int index = 0;
    if (!picture.isNull()) {
        images_.push_back(WriteImageXObject(out_, picture));
        index = static_cast<int>(images_.size());
    }
    imageCache_.insert(key, index);
    return index;
}

Content Document::BeginPage(int width, int height) {
    const int page = out_.BeginObject();
    pages_.push_back(page);
    std::string& buf = out_.Buffer();
    buf.append("/Type/Page\r\n/Parent ");
    Output::AppendRef(buf, pageTree_);
    buf.append("\r\n/Resources ");
    Output::AppendRef(buf, resources_);
    buf.append("\r\n");
    AppendMediaBox(buf, width, height);
    const int contents = out_.Reserve();
    buf.append("/Contents ");
    Output::AppendRef(buf, contents);
    out_.EndLine();
    out_.EndObject();
    contentLength_ = out_.Reserve();
    out_.BeginObject(contents);
    buf.append("/Length ");
    Output::AppendRef(buf, contentLength_);
    buf.append("\r\n>>\r\nstream\r\n");
    streamStart_ = out_.Offset();
    return Content(out_.Buffer(), height);
}

void Document::EndPage() {
    const long long end = out_.Offset();
    out_.WriteLine("endstream");
    out_.WriteLine("endobj");
    out_.WriteLengthObject(contentLength_, end - streamStart_);
}

int Document::FontIndex(const QString& name, int style) {
    // Underlined and struck-out texts use the plain face; their lines are
    // drawn with the text.
    style &= kBold | kItalic;
    QString key = name.toLower();
    key += QChar(u'\x01');
    key += QString::number(style);
    const auto found = fontLookup_.constFind(key);
    if (found != fontLookup_.constEnd()) {
        return found.value();
    }
    fonts_.push_back(FontEntry{name, style, out_.Reserve()});
    const int index = static_cast<int>(fonts_.size());
    fontLookup_.insert(key, index);
    return index;
}

void Document::End() {
    WriteFonts();
    WriteResources();
    WritePageTree();
    WriteXrefAndTrailer();
    out_.Close();
}

void Document::WriteFonts() {
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        WriteFont(static_cast<int>(i) + 1, fonts_[i]);
    }
}

void Document::WriteFont(int index, const FontEntry& font) {
    if (!IsStandardFontName(font.name)) {
        WriteTrueTypeFont(index, font);
        return;
    }
    out_.BeginObject(font.number);
    std::string& buf = out_.Buffer();
    buf.append("/Type/Font/Subtype/Type1/Name/F");
    AppendInteger(buf, index);
    buf.append("/BaseFont/");
    AppendName(buf, SpaceFreeName(font.name));
    buf.append("/Encoding/WinAnsiEncoding\r\n");
    out_.EndObject();
}

void Document::WriteTrueTypeFont(int index, const FontEntry& font) {
    const FontMetrics m = ReadFontMetrics(font.name, font.style);
    std::string base;
    AppendName(base, TrueTypeBaseName(font.name, font.style));
    const int descriptor = out_.Reserve();
    out_.BeginObject(font.number);
    std::string& buf = out_.Buffer();
    buf.append("/Type/Font/Subtype/TrueType/Name/F");
    AppendInteger(buf, index);
    buf.append("/BaseFont/" + base + "\r\n/FirstChar ");
    AppendInteger(buf, m.firstChar);
    buf.append("\r\n/LastChar ");
    AppendInteger(buf, m.lastChar);
    buf.append("\r\n/Widths [\r\n");
    for (std::size_t i = 0; i < m.widths.size(); ++i) {
        AppendInteger(buf, m.widths[i]);
        buf.push_back(' ');
        if (i % 18 == 17 || i + 1 == m.widths.size()) {
            buf.append("\r\n");
        }
    }
    buf.append("]\r\n/FontDescriptor ");
    Output::AppendRef(buf, descriptor);
    buf.append("\r\n/Encoding/WinAnsiEncoding\r\n");
    out_.EndObject();

    out_.BeginObject(descriptor);
    const auto line = [&buf](const char* key, int value) {
        buf.append(key);
        AppendInteger(buf, value);
        buf.append("\r\n");
    };
    buf.append("/Type/FontDescriptor\r\n/FontName/" + base + "\r\n");
    line("/Flags ", 32);
    buf.append("/FontBBox [ ");
    for (int v : {m.bboxLeft, m.bboxBottom, m.bboxRight}) {
        AppendInteger(buf, v);
        buf.push_back(' ');
    }
    AppendInteger(buf, m.bboxTop);
    buf.append(" ]\r\n");
    line("/MissingWidth ", 0);
    line("/StemV ", 73);
    line("/StemH ", 73);
    line("/ItalicAngle ", m.italicAngle);
    line("/CapHeight ", m.capHeight);
    line("/XHeight ", m.xHeight);
    line("/Ascent ", m.ascent);
    line("/Descent ", m.descent);
    line("/Leading ", m.leading);
    line("/MaxWidth ", m.maxWidth);
    line("/AvgWidth ", m.avgWidth);
    out_.EndObject();
}

void Document::WriteResources() {
    out_.BeginObject(resources_);
    std::string& buf = out_.Buffer();
    buf.append("/ProcSet [ /PDF/Text/ImageB ]\r\n/Font <<\r\n");
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        buf.append("/F");
        AppendInteger(buf, static_cast<long long>(i) + 1);
        buf.push_back(' ');
        Output::AppendRef(buf, fonts_[i].number);
        buf.append("\r\n");
    }
    buf.append(">>\r\n/XObject <<\r\n");
    for (std::size_t i = 0; i < images_.size(); ++i) {
        buf.append("/Image");
        AppendInteger(buf, static_cast<long long>(i) + 1);
        buf.push_back(' ');
        Output::AppendRef(buf, images_[i]);
        buf.append("\r\n");
        out_.Flushed();
    }
    buf.append(">>\r\n");
    out_.EndObject();
}

void Document::WritePageTree() {
    out_.BeginObject(pageTree_);
    std::string& buf = out_.Buffer();
    buf.append("/Type/Pages\r\n/Count ");
    AppendInteger(buf, PageCount());
    buf.append("\r\n");
    AppendMediaBox(buf, pageWidth_, pageHeight_);
    buf.append("/Kids [ ");
    for (int page : pages_) {
        Output::AppendRef(buf, page);
        buf.push_back(' ');
        out_.Flushed();
    }
    buf.append("]\r\n");
    out_.EndObject();
}

void Document::WriteXrefAndTrailer() {
    const long long xref = out_.Offset();
    const int count = out_.ObjectCount();
    std::string& buf = out_.Buffer();
    buf.append("xref\r\n0 ");
    AppendInteger(buf, count + 1);
    buf.append("\r\n0000000000 65535 f\r\n");
    for (int n = 1; n <= count; ++n) {
        char digits[11];
        long long offset = out_.ObjectOffset(n);
        for (int i = 9; i >= 0; --i, offset /= 10) {
            digits[i] = static_cast<char>('0' + offset % 10);
        }
        buf.append(digits, 10);
        buf.append(" 00000 n\r\n");
        out_.Flushed();
    }
    buf.append("trailer\r\n<<\r\n/Size ");
    AppendInteger(buf, count + 1);
    buf.append("\r\n/Root 2 0 R\r\n/Info 1 0 R\r\n>>\r\nstartxref\r\n");
    AppendInteger(buf, xref);
    buf.append("\r\n%%EOF\r\n");
    out_.Flushed();
}

} // namespace Pdf

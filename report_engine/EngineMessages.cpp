#include "EngineMessages.h"

namespace {

// One row per message: the member it fills and its text in each language,
// in the order of Language below.
struct MessageRow {
    QString EngineMessages::*message;
    QStringView texts[4];
};

enum class Language { Portuguese, English, French, Spanish };

constexpr MessageRow Rows[] = {
    {&EngineMessages::PrintProgress,
     {u"Imprimindo o relatório...", u"Printing in progress...", u"Impression du rapport...",
      u"Impresión en marcha..."}},
    {&EngineMessages::SaveProgress,
     {u"Salvando o relatório...", u"Saving report...", u"Sauver le rapport...",
      u"Guardando el informe..."}},
    {&EngineMessages::PrepareProgress,
     {u"Preparando o relatório...", u"Preparing report...", u"Préparation du rapport...",
      u"Preparación del informe..."}},
    {&EngineMessages::NoPrinter,
     {u"Nenhuma impressora encontrada", u"Printer not found", u"Imprimante non trouvée",
      u"Impresora no encontrada"}},
    {&EngineMessages::Page, {u"Página", u"Page", u"Page", u"Página"}},
    {&EngineMessages::PrepareError,
     {u"Erro durante a preparação do relatório", u"Error while preparing report",
      u"Erreur durant la prépartaion du rapport",
      u"Un error ocurrió mientras se preparaba el informe"}},
    {&EngineMessages::NotFound, {u"Não encontrado", u"Not found", u"Non trouvé", u"No encontrado"}},
    {&EngineMessages::Wait, {u"Aguarde...", u"Wait...", u"Patientez...", u"Espera..."}},
    {&EngineMessages::Cancel, {u"Cancelar", u"Cancel", u"Annulé", u"Cancelar"}},
    {&EngineMessages::Close, {u"Fechar", u"Close", u"Fermé", u"Cerrar"}},
    {&EngineMessages::Save, {u"Salvar", u"Save", u"Sauver", u"Guardar"}},
    {&EngineMessages::Send, {u"Enviar", u"Send", u"Envoyez", u"Enviar"}},
    {&EngineMessages::Print, {u"Imprimir", u"Print", u"Imprimer", u"Imprimir"}},
    {&EngineMessages::Preview,
     {u"Pré-visualização", u"Preview", u"Aperçu avant impression", u"Ver"}},
    {&EngineMessages::Of, {u"de", u"of", u"de", u"de"}},
    {&EngineMessages::FirstPage,
     {u"Primeira página", u"First page", u"Première page", u"Primera página"}},
    {&EngineMessages::PriorPage,
     {u"Página anterior", u"Prior page", u"Page précédente", u"Página anterior"}},
    {&EngineMessages::NextPage,
     {u"Próxima página", u"Next page", u"Page suivante", u"Página siguiente"}},
    {&EngineMessages::LastPage,
     {u"Última página", u"Last page", u"Dernière page", u"Última página"}},
    {&EngineMessages::EntirePage,
     {u"Página inteira", u"Entire page", u"Page entière", u"Página entera"}},
    {&EngineMessages::PageWidth,
     {u"Largura da página", u"Entire width", u"Pleine largeur", u"Ancho completo"}},
    {&EngineMessages::MultiplePages,
     {u"Várias páginas", u"Multiple pages", u"Plusieurs pages", u"Varias páginas"}},
    {&EngineMessages::ConfigurePrinter,
     {u"Configurar impressora", u"Configure printer", u"Configuration de l'imprimante",
      u"Configurar la impresora"}},
    {&EngineMessages::SaveToDisk,
     {u"Salvar em disco", u"Save to file", u"Enregistrer sous", u"Guardar en un archivo"}},
    {&EngineMessages::SendTo, {u"Enviar para", u"Send to", u"Envoyez à", u"Envíar a"}},
    {&EngineMessages::Printer, {u"Impressora", u"Printer", u"Imprimante", u"Impresora"}},
    {&EngineMessages::Name, {u"Nome", u"Name", u"Nom", u"Nombre"}},
    {&EngineMessages::PrintToFile,
     {u"Imprimir em arquivo", u"Print to file", u"Imprimer dans un fichier",
      u"Imprimir a un archivo"}},
    {&EngineMessages::PrintInBackground,
     {u"Imprimir em segundo plano", u"Print in background", u"Imprimer dans background",
      u"Imprimir en background"}},
    {&EngineMessages::PageRange,
     {u"Intervalo de páginas", u"Page range", u"Intervalle de pages", u"Intervalo de páginas"}},
    {&EngineMessages::To, {u"até", u"to", u"à", u"a"}},
    {&EngineMessages::All, {u"Tudo", u"All", u"Tout", u"Todas"}},
    {&EngineMessages::Pages, {u"Páginas", u"Pages", u"Pages", u"Páginas"}},
    {&EngineMessages::Selection, {u"Seleção", u"Selection", u"Sélection", u"Selección"}},
    {&EngineMessages::Copies, {u"Cópias", u"Copies", u"Copies", u"Copias"}},
    {&EngineMessages::NumberOfCopies,
     {u"Número de cópias", u"Number of copies", u"Nombre de copies", u"Número de copias"}},
    {&EngineMessages::Ok, {u"Ok", u"Ok", u"Ok", u"Ok"}},
    {&EngineMessages::SplitScreen,
     {u"Dividir a tela", u"Divide the screen", u"Dividir a tela", u"Dividir la pantalla"}},
    {&EngineMessages::InvalidName,
     {u"Nome inválido", u"Invalid name", u"Nom inadmissible", u"Nombre inválido"}},
    {&EngineMessages::NameInUse,
     {u"Nome já utilizado", u"Name already in use", u"Nom reproduit", u"Nombre ya en uso"}},
    {&EngineMessages::UseFilter, {u"Usar Filtro", u"Use filter", u"Use filter", u"Usar Filtro"}},
    {&EngineMessages::PrinterAtPort, {u"em", u"at", u"à", u"en"}},
    {&EngineMessages::Default, {u"Padrão", u"Default", u"Défaut", u"Estándar"}},
    {&EngineMessages::Copy, {u"Copiar", u"Copy", u"Copier", u"Copiar"}},
    {&EngineMessages::Edit, {u"Editar", u"Edit", u"Edit", u"Editar"}},
    {&EngineMessages::Find, {u"Procurar", u"Find", u"Trouvaille", u"Buscar"}},
    {&EngineMessages::FindText, {u"Te&xto", u"Te&xt", u"Te&xte", u"Te&xto"}},
    {&EngineMessages::FindNext, {u"&Próxima", u"Find &Next", u"A&près", u"&Siguiente"}},
    {&EngineMessages::WholeWords,
     {u"Palavras &inteiras", u"&Whole words only", u"Mots &entiers seulement",
      u"Palabras &completas sólamente"}},
    {&EngineMessages::MatchCase,
     {u"Diferenciar &maiúsculas de minúsculas", u"&Match Case", u"Cas d'allu&mette",
      u"Diferenciar &mayúsculas y minúsculas"}},
    {&EngineMessages::Up, {u"A&cima", u"&Up", u"Le &Haut", u"En&cima"}},
    {&EngineMessages::Down, {u"A&baixo", u"&Down", u"Le &bas", u"&Abajo"}},
    {&EngineMessages::Direction, {u"Direção", u"Direction", u"Direction", u"Dirección"}},
    {&EngineMessages::From, {u"de", u"from", u"de", u"de"}},
    {&EngineMessages::FileName,
     {u"Nome do arquivo", u"File Name", u"Nom de Fichier", u"Nombre del Archivo"}},
    {&EngineMessages::SaveInBackground,
     {u"Salvar em segundo plano", u"Save in background", u"Enregistrer dans background",
      u"Guardar en background"}},
    {&EngineMessages::PdfFormat,
     {u"Documento PDF", u"PDF Document", u"Documento PDF", u"Documento PDF"}},
    {&EngineMessages::XlsFormat,
     {u"Planilha Excel", u"Excel spreadsheet", u"Excel tableur", u"Planilha Excel"}},
    {&EngineMessages::Junction,
     {u"Continua...", u"Continues...", u"Saut de page...", u"Continúa..."}},
    {&EngineMessages::Mend, {u"Continuação", u"Continuation", u"A suivre", u"Continuación"}},
    {&EngineMessages::End, {u"Fim", u"End", u"Fin", u"Extremo"}},
    {&EngineMessages::UnknownExtension,
     {u"Extensão de arquivo desconhecida", u"Unknown file extension",
      u"Extension de fichier inconnue", u"Extensión de archivo desconocida"}},
    {&EngineMessages::KnownExtensions,
     {u"Extensões aceitas", u"Accepted extensions", u"Extensions acceptées",
      u"Extensiones aceptadas"}},
};

EngineMessages Make(Language language) {
    EngineMessages m;
    for (const MessageRow& row : Rows) {
        m.*row.message = row.texts[static_cast<int>(language)].toString();
    }
    return m;
}

} // namespace

const EngineMessages& EngineMessages::Portuguese() {
    static const EngineMessages table = Make(Language::Portuguese);
    return table;
}

const EngineMessages& EngineMessages::English() {
    static const EngineMessages table = Make(Language::English);
    return table;
}

const EngineMessages& EngineMessages::French() {
    static const EngineMessages table = Make(Language::French);
    return table;
}

const EngineMessages& EngineMessages::Spanish() {
    static const EngineMessages table = Make(Language::Spanish);
    return table;
}

const EngineMessages& EngineMessages::ForLanguage(QLocale::Language language) {
    switch (language) {
    case QLocale::Portuguese:
        return Portuguese();
    case QLocale::Spanish:
        return Spanish();
    case QLocale::French:
        return French();
    default:
        return English();
    }
}

const EngineMessages& Messages() {
    static const EngineMessages& table = EngineMessages::ForLanguage(QLocale::system().language());
    return table;
}

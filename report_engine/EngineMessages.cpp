#include "EngineMessages.h"

namespace {

EngineMessages MakePortuguese() {
    EngineMessages m;
    m.PrintProgress = QStringLiteral("Imprimindo o relatório...");
    m.SaveProgress = QStringLiteral("Salvando o relatório...");
    m.PrepareProgress = QStringLiteral("Preparando o relatório...");
    m.NoPrinter = QStringLiteral("Nenhuma impressora encontrada");
    m.Page = QStringLiteral("Página");
    m.PrepareError = QStringLiteral("Erro durante a preparação do relatório");
    m.NotFound = QStringLiteral("Não encontrado");
    m.Wait = QStringLiteral("Aguarde...");
    m.Cancel = QStringLiteral("Cancelar");
    m.Close = QStringLiteral("Fechar");
    m.Save = QStringLiteral("Salvar");
    m.Send = QStringLiteral("Enviar");
    m.Print = QStringLiteral("Imprimir");
    m.Preview = QStringLiteral("Pré-visualização");
    m.Of = QStringLiteral("de");
    m.FirstPage = QStringLiteral("Primeira página");
    m.PriorPage = QStringLiteral("Página anterior");
    m.NextPage = QStringLiteral("Próxima página");
    m.LastPage = QStringLiteral("Última página");
    m.EntirePage = QStringLiteral("Página inteira");
    m.PageWidth = QStringLiteral("Largura da página");
    m.MultiplePages = QStringLiteral("Várias páginas");
    m.ConfigurePrinter = QStringLiteral("Configurar impressora");
    m.SaveToDisk = QStringLiteral("Salvar em disco");
    m.SendTo = QStringLiteral("Enviar para");
    m.Printer = QStringLiteral("Impressora");
    m.Name = QStringLiteral("Nome");
    m.PrintToFile = QStringLiteral("Imprimir em arquivo");
    m.PrintInBackground = QStringLiteral("Imprimir em segundo plano");
    m.PageRange = QStringLiteral("Intervalo de páginas");
    m.To = QStringLiteral("até");
    m.All = QStringLiteral("Tudo");
    m.Pages = QStringLiteral("Páginas");
    m.Selection = QStringLiteral("Seleção");
    m.Copies = QStringLiteral("Cópias");
    m.NumberOfCopies = QStringLiteral("Número de cópias");
    m.Ok = QStringLiteral("Ok");
    m.SplitScreen = QStringLiteral("Dividir a tela");
    m.InvalidName = QStringLiteral("Nome inválido");
    m.NameInUse = QStringLiteral("Nome já utilizado");
    m.UseFilter = QStringLiteral("Usar Filtro");
    m.PrinterAtPort = QStringLiteral("em");
    m.Default = QStringLiteral("Padrão");
    m.Copy = QStringLiteral("Copiar");
    m.Edit = QStringLiteral("Editar");
    m.Find = QStringLiteral("Procurar");
    m.FindText = QStringLiteral("Te&xto");
    m.FindNext = QStringLiteral("&Próxima");
    m.WholeWords = QStringLiteral("Palavras &inteiras");
    m.MatchCase = QStringLiteral("Diferenciar &maiúsculas de minúsculas");
    m.Up = QStringLiteral("A&cima");
    m.Down = QStringLiteral("A&baixo");
    m.Direction = QStringLiteral("Direção");
    m.From = QStringLiteral("de");
    m.FileName = QStringLiteral("Nome do arquivo");
    m.SaveInBackground = QStringLiteral("Salvar em segundo plano");
    m.PdfFormat = QStringLiteral("Documento PDF");
    m.XlsFormat = QStringLiteral("Planilha Excel");
    m.Junction = QStringLiteral("Continua...");
    m.Mend = QStringLiteral("Continuação");
    m.End = QStringLiteral("Fim");
    m.UnknownExtension = QStringLiteral("Extensão de arquivo desconhecida");
    m.KnownExtensions = QStringLiteral("Extensões aceitas");
    return m;
}

EngineMessages MakeEnglish() {
    EngineMessages m;
    m.PrintProgress = QStringLiteral("Printing in progress...");
    m.SaveProgress = QStringLiteral("Saving report...");
    m.PrepareProgress = QStringLiteral("Preparing report...");
    m.NoPrinter = QStringLiteral("Printer not found");
    m.Page = QStringLiteral("Page");
    m.PrepareError = QStringLiteral("Error while preparing report");
    m.NotFound = QStringLiteral("Not found");
    m.Wait = QStringLiteral("Wait...");
    m.Cancel = QStringLiteral("Cancel");
    m.Close = QStringLiteral("Close");
    m.Save = QStringLiteral("Save");
    m.Send = QStringLiteral("Send");
    m.Print = QStringLiteral("Print");
    m.Preview = QStringLiteral("Preview");
    m.Of = QStringLiteral("of");
    m.FirstPage = QStringLiteral("First page");
    m.PriorPage = QStringLiteral("Prior page");
    m.NextPage = QStringLiteral("Next page");
    m.LastPage = QStringLiteral("Last page");
    m.EntirePage = QStringLiteral("Entire page");
    m.PageWidth = QStringLiteral("Entire width");
    m.MultiplePages = QStringLiteral("Multiple pages");
    m.ConfigurePrinter = QStringLiteral("Configure printer");
    m.SaveToDisk = QStringLiteral("Save to file");
    m.SendTo = QStringLiteral("Send to");
    m.Printer = QStringLiteral("Printer");
    m.Name = QStringLiteral("Name");
    m.PrintToFile = QStringLiteral("Print to file");
    m.PrintInBackground = QStringLiteral("Print in background");
    m.PageRange = QStringLiteral("Page range");
    m.To = QStringLiteral("to");
    m.All = QStringLiteral("All");
    m.Pages = QStringLiteral("Pages");
    m.Selection = QStringLiteral("Selection");
    m.Copies = QStringLiteral("Copies");
    m.NumberOfCopies = QStringLiteral("Number of copies");
    m.Ok = QStringLiteral("Ok");
    m.SplitScreen = QStringLiteral("Divide the screen");
    m.InvalidName = QStringLiteral("Invalid name");
    m.NameInUse = QStringLiteral("Name already in use");
    m.UseFilter = QStringLiteral("Use filter");
    m.PrinterAtPort = QStringLiteral("at");
    m.Default = QStringLiteral("Default");
    m.Copy = QStringLiteral("Copy");
    m.Edit = QStringLiteral("Edit");
    m.Find = QStringLiteral("Find");
    m.FindText = QStringLiteral("Te&xt");
    m.FindNext = QStringLiteral("Find &Next");
    m.WholeWords = QStringLiteral("&Whole words only");
    m.MatchCase = QStringLiteral("&Match Case");
    m.Up = QStringLiteral("&Up");
    m.Down = QStringLiteral("&Down");
    m.Direction = QStringLiteral("Direction");
    m.From = QStringLiteral("from");
    m.FileName = QStringLiteral("File Name");
    m.SaveInBackground = QStringLiteral("Save in background");
    m.PdfFormat = QStringLiteral("PDF Document");
    m.XlsFormat = QStringLiteral("Excel spreadsheet");
    m.Junction = QStringLiteral("Continues...");
    m.Mend = QStringLiteral("Continuation");
    m.End = QStringLiteral("End");
    m.UnknownExtension = QStringLiteral("Unknown file extension");
    m.KnownExtensions = QStringLiteral("Accepted extensions");
    return m;
}

EngineMessages MakeFrench() {
    EngineMessages m;
    m.PrintProgress = QStringLiteral("Impression du rapport...");
    m.SaveProgress = QStringLiteral("Sauver le rapport...");
    m.PrepareProgress = QStringLiteral("Préparation du rapport...");
    m.NoPrinter = QStringLiteral("Imprimante non trouvée");
    m.Page = QStringLiteral("Page");
    m.PrepareError = QStringLiteral("Erreur durant la prépartaion du rapport");
    m.NotFound = QStringLiteral("Non trouvé");
    m.Wait = QStringLiteral("Patientez...");
    m.Cancel = QStringLiteral("Annulé");
    m.Close = QStringLiteral("Fermé");
    m.Save = QStringLiteral("Sauver");
    m.Send = QStringLiteral("Envoyez");
    m.Print = QStringLiteral("Imprimer");
    m.Preview = QStringLiteral("Aperçu avant impression");
    m.Of = QStringLiteral("de");
    m.FirstPage = QStringLiteral("Première page");
    m.PriorPage = QStringLiteral("Page précédente");
    m.NextPage = QStringLiteral("Page suivante");
    m.LastPage = QStringLiteral("Dernière page");
    m.EntirePage = QStringLiteral("Page entière");
    m.PageWidth = QStringLiteral("Pleine largeur");
    m.MultiplePages = QStringLiteral("Plusieurs pages");
    m.ConfigurePrinter = QStringLiteral("Configuration de l'imprimante");
    m.SaveToDisk = QStringLiteral("Enregistrer sous");
    m.SendTo = QStringLiteral("Envoyez à");
    m.Printer = QStringLiteral("Imprimante");
    m.Name = QStringLiteral("Nom");
    m.PrintToFile = QStringLiteral("Imprimer dans un fichier");
    m.PrintInBackground = QStringLiteral("Imprimer dans background");
    m.PageRange = QStringLiteral("Intervalle de pages");
    m.To = QStringLiteral("à");
    m.All = QStringLiteral("Tout");
    m.Pages = QStringLiteral("Pages");
    m.Selection = QStringLiteral("Sélection");
    m.Copies = QStringLiteral("Copies");
    m.NumberOfCopies = QStringLiteral("Nombre de copies");
    m.Ok = QStringLiteral("Ok");
    m.SplitScreen = QStringLiteral("Dividir a tela");
    m.InvalidName = QStringLiteral("Nom inadmissible");
    m.NameInUse = QStringLiteral("Nom reproduit");
    m.UseFilter = QStringLiteral("Use filter");
    m.PrinterAtPort = QStringLiteral("à");
    m.Default = QStringLiteral("Défaut");
    m.Copy = QStringLiteral("Copier");
    m.Edit = QStringLiteral("Edit");
    m.Find = QStringLiteral("Trouvaille");
    m.FindText = QStringLiteral("Te&xte");
    m.FindNext = QStringLiteral("A&près");
    m.WholeWords = QStringLiteral("Mots &entiers seulement");
    m.MatchCase = QStringLiteral("Cas d'allu&mette");
    m.Up = QStringLiteral("Le &Haut");
    m.Down = QStringLiteral("Le &bas");
    m.Direction = QStringLiteral("Direction");
    m.From = QStringLiteral("de");
    m.FileName = QStringLiteral("Nom de Fichier");
    m.SaveInBackground = QStringLiteral("Enregistrer dans background");
    m.PdfFormat = QStringLiteral("Documento PDF");
    m.XlsFormat = QStringLiteral("Excel tableur");
    m.Junction = QStringLiteral("Saut de page...");
    m.Mend = QStringLiteral("A suivre");
    m.End = QStringLiteral("Fin");
    m.UnknownExtension = QStringLiteral("Extension de fichier inconnue");
    m.KnownExtensions = QStringLiteral("Extensions acceptées");
    return m;
}

EngineMessages MakeSpanish() {
    EngineMessages m;
    m.PrintProgress = QStringLiteral("Impresión en marcha...");
    m.SaveProgress = QStringLiteral("Guardando el informe...");
    m.PrepareProgress = QStringLiteral("Preparación del informe...");
    m.NoPrinter = QStringLiteral("Impresora no encontrada");
    m.Page = QStringLiteral("Página");
    m.PrepareError = QStringLiteral("Un error ocurrió mientras se preparaba el informe");
    m.NotFound = QStringLiteral("No encontrado");
    m.Wait = QStringLiteral("Espera...");
    m.Cancel = QStringLiteral("Cancelar");
    m.Close = QStringLiteral("Cerrar");
    m.Save = QStringLiteral("Guardar");
    m.Send = QStringLiteral("Enviar");
    m.Print = QStringLiteral("Imprimir");
    m.Preview = QStringLiteral("Ver");
    m.Of = QStringLiteral("de");
    m.FirstPage = QStringLiteral("Primera página");
    m.PriorPage = QStringLiteral("Página anterior");
    m.NextPage = QStringLiteral("Página siguiente");
    m.LastPage = QStringLiteral("Última página");
    m.EntirePage = QStringLiteral("Página entera");
    m.PageWidth = QStringLiteral("Ancho completo");
    m.MultiplePages = QStringLiteral("Varias páginas");
    m.ConfigurePrinter = QStringLiteral("Configurar la impresora");
    m.SaveToDisk = QStringLiteral("Guardar en un archivo");
    m.SendTo = QStringLiteral("Envíar a");
    m.Printer = QStringLiteral("Impresora");
    m.Name = QStringLiteral("Nombre");
    m.PrintToFile = QStringLiteral("Imprimir a un archivo");
    m.PrintInBackground = QStringLiteral("Imprimir en background");
    m.PageRange = QStringLiteral("Intervalo de páginas");
    m.To = QStringLiteral("a");
    m.All = QStringLiteral("Todas");
    m.Pages = QStringLiteral("Páginas");
    m.Selection = QStringLiteral("Selección");
    m.Copies = QStringLiteral("Copias");
    m.NumberOfCopies = QStringLiteral("Número de copias");
    m.Ok = QStringLiteral("Ok");
    m.SplitScreen = QStringLiteral("Dividir la pantalla");
    m.InvalidName = QStringLiteral("Nombre inválido");
    m.NameInUse = QStringLiteral("Nombre ya en uso");
    m.UseFilter = QStringLiteral("Usar Filtro");
    m.PrinterAtPort = QStringLiteral("en");
    m.Default = QStringLiteral("Estándar");
    m.Copy = QStringLiteral("Copiar");
    m.Edit = QStringLiteral("Editar");
    m.Find = QStringLiteral("Buscar");
    m.FindText = QStringLiteral("Te&xto");
    m.FindNext = QStringLiteral("&Siguiente");
    m.WholeWords = QStringLiteral("Palabras &completas sólamente");
    m.MatchCase = QStringLiteral("Diferenciar &mayúsculas y minúsculas");
    m.Up = QStringLiteral("En&cima");
    m.Down = QStringLiteral("&Abajo");
    m.Direction = QStringLiteral("Dirección");
    m.From = QStringLiteral("de");
    m.FileName = QStringLiteral("Nombre del Archivo");
    m.SaveInBackground = QStringLiteral("Guardar en background");
    m.PdfFormat = QStringLiteral("Documento PDF");
    m.XlsFormat = QStringLiteral("Planilha Excel");
    m.Junction = QStringLiteral("Continúa...");
    m.Mend = QStringLiteral("Continuación");
    m.End = QStringLiteral("Extremo");
    m.UnknownExtension = QStringLiteral("Extensión de archivo desconocida");
    m.KnownExtensions = QStringLiteral("Extensiones aceptadas");
    return m;
}

} // namespace

const EngineMessages& EngineMessages::Portuguese() {
    static const EngineMessages table = MakePortuguese();
    return table;
}

const EngineMessages& EngineMessages::English() {
    static const EngineMessages table = MakeEnglish();
    return table;
}

const EngineMessages& EngineMessages::French() {
    static const EngineMessages table = MakeFrench();
    return table;
}

const EngineMessages& EngineMessages::Spanish() {
    static const EngineMessages table = MakeSpanish();
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

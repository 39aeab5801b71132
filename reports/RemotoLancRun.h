#pragma once
// The balance report's run state: what its band handlers leave for the
// bands printed after them. Private to the balance report form
// (RemotoLanc.cpp, RemotoLancReport.cpp); the form owns one for its single
// run, so every run starts from zeros.
#include <QString>

struct TRemotoLancRun {
    // The month of the run: the login state's month when the run starts.
    double MesRel = 0;

    // What the detail rows of a lance leave for its footer, which is printed
    // after the dataset has already moved on to the next lance.
    QString LancRD;
    QString LancTipReg;
    QString LancGrupo;
    QString LancComplem;
    double LancMesRefRec = 0;
    double LancMesRefCota = 0;
    double LancMes = 0;
    double LancData = 0;
    int LancCota = 0;
    int LancConta = 0;
    int LancNumRec = 0;
    int LancLanc = 0;
    QString ListaCotas;
    QString ListaImoveis;

    // The groups the bands are in, and what they add up. Amounts are read as
    // double and summed in extended precision.
    int CondAtual = 0;
    int ContaAtual = 0;
    QString Grau1Atual;
    QString Grau2Atual;
    QString Grau3Atual;
    QString Grau4Atual;
    long double ValRealizado = 0;
    long double ValCompromissado = 0;
    long double TotRealGrau1 = 0;
    long double TotRealGrau2 = 0;
    long double TotRealGrau3 = 0;
    long double TotRealGrau4 = 0;
    long double TotCompGrau1 = 0;
    long double TotCompGrau2 = 0;
    long double TotCompGrau3 = 0;
    long double TotCompGrau4 = 0;
};

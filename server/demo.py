#!/usr/bin/env python3
"""Writes the demo database's data as SQL (UTF-8, for isql with -ch UTF8).

Several condominiums with a four-grade chart of accounts, bank, cash and
savings accounts, units whose quota names carry the masks "@@/@@@@", "@@/@@"
and "##/##", monthly bills and their receipts, expenses, unpaid and overdue
bills, committed payables and balance settings whose history templates use
several placeholders; two years of entries ending with the current month.

--scale sets the size: 1 gives about ten thousand rows, 0.05 a few hundred,
30 several hundred thousand. The output depends only on the scale and the
current month."""

import argparse
import datetime as dt
import random
import struct
import sys

CONDS = [
    # number, name, password, unit blocks, mask of the quota names
    (101, "Condomínio Edifício Ipê Amarelo", "ipe101", ["Bloco A", "Bloco B"], "@@/@@@@"),
    (102, "Residencial Jardim das Acácias", "acacia102", ["Torre 1", "Torre 2", "Torre 3"], "@@/@@"),
    (103, "Condomínio Solar São Francisco", "solar103", ["Único"], "@@/@@@@"),
    (104, "Edifício Conceição Ribeirão", "conceicao104", ["Bloco Sul", "Bloco Norte"], "##/##"),
    (105, "Residencial Parque das Mangueiras", "manga105", ["Quadra 1", "Quadra 2"], "@@/@@"),
]
BASE_UNITS = [24, 36, 12, 30, 40]

CHART = [
    ("R", "1", "Receitas"),
    ("R", "1.01", "Receitas Ordinárias"),
    ("R", "1.01.01", "Taxas Condominiais"),
    ("R", "1.01.01.01", "Taxa de Condomínio"),
    ("R", "1.01.01.02", "Fundo de Reserva"),
    ("R", "1.01.01.03", "Vaga de Garagem"),
    ("R", "1.01.02", "Multas e Juros"),
    ("R", "1.01.02.01", "Multas por Atraso"),
    ("R", "1.02", "Receitas Extraordinárias"),
    ("R", "1.02.01", "Rendimentos"),
    ("R", "1.02.01.01", "Rendimento de Aplicação"),
    ("R", "1.02.02", "Aluguel do Salão de Festas"),
    ("R", "1.03", "Chamadas de Capital"),
    ("R", "1.03.01", "Obras"),
    ("R", "1.03.01.01", "Reforma da Fachada"),
    ("D", "2", "Despesas"),
    ("D", "2.01", "Despesas com Pessoal"),
    ("D", "2.01.01", "Salários"),
    ("D", "2.01.01.01", "Salário do Zelador"),
    ("D", "2.01.01.02", "Salário dos Porteiros"),
    ("D", "2.01.02", "Encargos Sociais"),
    ("D", "2.01.02.01", "INSS"),
    ("D", "2.01.02.02", "FGTS"),
    ("D", "2.02", "Consumo"),
    ("D", "2.02.01", "Concessionárias"),
    ("D", "2.02.01.01", "Energia Elétrica"),
    ("D", "2.02.01.02", "Água e Esgoto"),
    ("D", "2.02.01.03", "Gás"),
    ("D", "2.03", "Manutenção e Conservação"),
    ("D", "2.03.01", "Elevadores"),
    ("D", "2.03.01.01", "Contrato de Manutenção"),
    ("D", "2.03.01.02", "Peças e Reparos"),
    ("D", "2.03.02", "Conservação"),
    ("D", "2.03.02.01", "Material de Limpeza"),
    ("D", "2.03.02.02", "Jardinagem"),
    ("D", "2.04", "Despesas Administrativas"),
    ("D", "2.04.01", "Administração"),
    ("D", "2.04.01.01", "Taxa de Administração"),
    ("D", "2.04.01.02", "Tarifas Bancárias"),
    ("D", "2.04.02", "Seguro do Prédio"),
]

# (code, history, account kind, base amount, payroll?)
EXPENSES = [
    ("2.01.01.01", "Salário do zelador ref. {m}", "bank", 2100.00, True),
    ("2.01.01.02", "Salário dos porteiros ref. {m}", "bank", 4300.00, True),
    ("2.01.02.01", "INSS sobre a folha ref. {m}", "bank", 1250.00, True),
    ("2.01.02.02", "FGTS sobre a folha ref. {m}", "bank", 510.00, True),
    ("2.02.01.01", "Conta de energia elétrica – Cemig ref. {m}", "bank", 1800.00, False),
    ("2.02.01.02", "Conta de água e esgoto – Copasa ref. {m}", "bank", 2400.00, False),
    ("2.02.01.03", "Gás canalizado ref. {m}", "bank", 380.00, False),
    ("2.03.01.01", "Manutenção mensal dos elevadores – Atlas", "bank", 960.00, False),
    ("2.03.02.01", "Material de limpeza – Supermercado São José", "cash", 240.00, False),
    ("2.03.02.02", "Serviço de jardinagem", "cash", 450.00, False),
    ("2.04.01.01", "Taxa de administração QUORVA ref. {m}", "bank", 890.00, False),
    ("2.04.01.02", "Tarifas bancárias do mês", "bank", 38.50, False),
    ("2.04.02", "Seguro do prédio – parcela ref. {m}", "bank", 310.00, False),
]

FIRST = ["José", "Maria", "João", "Ana", "Antônio", "Francisca", "Luís", "Conceição", "Sebastião",
         "Márcia", "Cláudio", "Lúcia", "André", "Mônica", "Fábio", "Patrícia", "Sérgio", "Vânia",
         "Raimundo", "Débora", "Tomás", "Inês", "Otávio", "Bárbara"]
LAST = ["da Silva", "Araújo", "Gonçalves", "Magalhães", "Conceição", "Simões", "Assunção",
        "Brandão", "Guimarães", "Sá", "Nogueira", "Falcão", "Leão", "Câmara", "Pimentel", "Müller"]

TEMPLATES = {
    101: "Recebimento {Cota} ref. {MêsCota4} - {Imóvel} ({Grupo})",
    102: "Rec. de {Cotas}- conta {Conta}",
    103: "Receb. {Imóveis}- mês {MêsRec2} / cota {MêsCota2}",
    104: "Acordo {Cota} - {Imóvel} ref. {MêsRec4}",
    105: "Recebimento {Cotas}- {Grupo} - {MêsRec4}",
}


def q(text):
    return "'" + text.replace("'", "''") + "'"


def d(date):
    return "'" + date.isoformat() + "'" if date is not None else "null"


def money(v):
    return "%.2f" % v


def add_months(date, n):
    y, m = divmod(date.month - 1 + n, 12)
    return dt.date(date.year + y, m + 1, 1)


def logo_bmp(seed):
    """A 48x48 24-bit picture: a coloured square with a lighter frame."""
    w = h = 48
    r = random.Random(seed)
    base = (r.randrange(40, 200), r.randrange(40, 200), r.randrange(40, 200))
    rows = []
    for y in range(h):
        row = bytearray()
        for x in range(w):
            edge = x < 4 or y < 4 or x >= w - 4 or y >= h - 4
            diag = abs(x - y) < 3 or abs(x + y - w) < 3
            c = (250, 250, 250) if edge else (30, 30, 30) if diag else base
            row += bytes((c[2], c[1], c[0]))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


class Writer:
    """Inserts batched into EXECUTE BLOCK statements: one round trip and one
    compilation for a few hundred rows instead of one per row."""

    LIMIT = 30000  # characters of one block; the server takes at most 64 KB

    def __init__(self, out):
        self.out = out
        self.count = 0
        self.pending = []
        self.size = 0
        out.write("set term ^ ;\n")

    def insert(self, table, columns, values):
        statement = "insert into %s (%s) values (%s);" % (table, columns, ", ".join(values))
        if self.pending and self.size + len(statement) > self.LIMIT:
            self.flush()
        self.pending.append(statement)
        self.size += len(statement)
        self.count += 1

    def flush(self):
        if self.pending:
            self.out.write("execute block as begin\n" + "\n".join(self.pending) + "\nend^\n")
            self.pending = []
            self.size = 0

    def close(self):
        self.flush()
        self.out.write("commit^\nset term ; ^\n")


def generate(scale, today, out):
    rnd = random.Random(20140301)
    w = Writer(out)
    for tipo, code, name in CHART:
        w.insert("subconta", "estru, tipo, subconta, nome", ["1", q(tipo), q(code), q(name)])

    last_month = dt.date(today.year, today.month, 1)
    months = [add_months(last_month, -i) for i in range(23, -1, -1)]
    cota_seq = 1
    numrec = 1
    lanc = 1
    # Small sizes keep two condominiums and the main expenses only.
    conds = CONDS if scale >= 0.5 else CONDS[:2]
    expenses = EXPENSES if scale >= 0.5 else EXPENSES[:3]
    for index, (cond, name, pwd, blocks, mask) in enumerate(conds):
        units = max(2, round(BASE_UNITS[index] * scale))
        w.insert("cond", "cond, nome, logo, remoto_senha, remoto_balancete, estrutu",
                 [str(cond), q(name), "x'" + logo_bmp(cond).hex() + "'", q(pwd), str(cond), "1"])
        w.insert("balancetes", "cod, nome, tipo, histor, estrutura, vias",
                 [str(cond), q("Balancete padrão"), "'A'", q(TEMPLATES[cond]), "1", "1"])
        bank, cash, savings = cond * 10 + 1, cond * 10 + 2, cond * 10 + 3
        w.insert("conta", "cod, cond, nome, nomered, saldoini",
                 [str(bank), str(cond), q("Banco do Brasil Ag. %04d-%d C/C %d" % (1000 + cond, cond % 10, 40000 + cond)),
                  q("BB %d" % cond), money(rnd.randrange(5000, 40000))])
        w.insert("conta", "cod, cond, nome, nomered, saldoini",
                 [str(cash), str(cond), q("Caixa Interno"), q("Caixa"), money(rnd.randrange(100, 900))])
        w.insert("conta", "cod, cond, nome, nomered, saldoini",
                 [str(savings), str(cond), q("Poupança Caixa Econômica"), q("Poupança"),
                  money(rnd.randrange(10000, 80000))])

        # units and their quotas
        unit_list = []
        for u in range(units):
            block = blocks[u % len(blocks)]
            floor = u // (2 * len(blocks)) + 1
            number = floor * 100 + (u // len(blocks)) % 2 + 1
            code = "%d%03d" % (u % len(blocks) + 1, number)
            complem = ("Apto %d" % number)[:15]
            owner = "%s %s" % (rnd.choice(FIRST), rnd.choice(LAST))
            w.insert("imovel", "cond, imovel, complem, grupo, proprietario",
                     [str(cond), q(code), q(complem), q(block[:10]), q(owner)])
            main = cota_seq
            cota_seq += 1
            w.insert("cota", "cota, cond, imovel, nomered, subconta",
                     [str(main), str(cond), q(code), q("%s - %s" % (complem, mask)), q("1.01.01.01")])
            garage = None
            if rnd.random() < 0.3:
                garage = cota_seq
                cota_seq += 1
                w.insert("cota", "cota, cond, imovel, nomered, subconta",
                         [str(garage), str(cond), q(code), q("Vaga %s - @@/@@" % code), q("1.01.01.03")])
            works = None
            if rnd.random() < 0.4:
                works = cota_seq
                cota_seq += 1
                w.insert("cota", "cota, cond, imovel, nomered, subconta",
                         [str(works), str(cond), q(code), q("Obra %s - ##/##" % complem), q("1.03.01.01")])
            fee = round(rnd.choice([420.0, 480.0, 515.5, 560.0, 610.0]) * (1 + 0.1 * (u % 3)), 2)
            unit_list.append((code, main, garage, works, fee))

        # bills and their receipts
        for mi, month in enumerate(months):
            venc = month.replace(day=10)
            for code, main, garage, works, fee in unit_list:
                lines = [(main, "", fee * (1 + 0.05 * (mi // 12)))]
                if garage is not None:
                    lines.append((garage, "", 85.0))
                if works is not None and 6 <= mi < 18:
                    lines.append((works, "%02d/12" % (mi - 5), 150.0))
                total = round(sum(v for _, _, v in lines), 2)
                fate = rnd.random()
                payday = None
                if month < last_month or today.day > 12:
                    if fate < 0.80:
                        payday = month.replace(day=rnd.randrange(1, 11))
                    elif fate < 0.93:
                        payday = add_months(month, 1).replace(day=rnd.randrange(1, 28))
                        if payday > today:
                            payday = None
                    elif fate < 0.95:
                        payday = dt.date(1900, 12, 31)  # the old system's "not paid" mark
                w.insert("recemim", "numrec, cond, imovel, venc, valor, mesref, datapag, conta",
                         [str(numrec), str(cond), q(code), d(venc), money(total), d(month),
                          d(payday), str(bank) if payday and payday.year > 1901 else "null"])
                for cota, parcela, value in lines:
                    w.insert("recemid", "numrec, cota, parcela, mesref, valor",
                             [str(numrec), str(cota), q(parcela), d(month), money(value)])
                if payday is not None and payday.year > 1901:
                    w.insert("lanconta", "lanc, cond, conta, mes, data, r_d, subconta, histor, valor, numrec, trab",
                             [str(lanc), str(cond), str(bank), d(payday.replace(day=1)), d(payday), "'R'",
                              "null", q("Recebimento do boleto %d" % numrec), money(total), str(numrec),
                              q("COBRANÇA BANCÁRIA")])
                    lanc += 1
                numrec += 1

            # other income
            if month <= last_month:
                w.insert("lanconta", "lanc, cond, conta, mes, data, r_d, subconta, histor, valor, numrec, trab",
                         [str(lanc), str(cond), str(savings), d(month), d(month.replace(day=28)), "'E'",
                          q("1.02.01.01"), q("Rendimento da poupança %02d/%d" % (month.month, month.year)),
                          money(rnd.randrange(4000, 30000) / 100), "null", q(str(lanc))])
                lanc += 1
                for _ in range(rnd.randrange(0, 3)):
                    day = rnd.randrange(1, 28)
                    w.insert("lanconta", "lanc, cond, conta, mes, data, r_d, subconta, histor, valor, numrec, trab",
                             [str(lanc), str(cond), str(cash), d(month), d(month.replace(day=day)), "'E'",
                              q("1.02.02"), q("Aluguel do salão de festas – %s" % rnd.choice(FIRST)),
                              money(150.0), "null", q(str(lanc))])
                    lanc += 1

            # expenses: realized, or committed and unpaid in the last month
            for code, hist, kind, base, payroll in expenses:
                value = round(base * (1 + 0.03 * (mi // 12)) * rnd.uniform(0.9, 1.12) * (0.6 + 0.4 * scale ** 0.25), 2)
                text = hist.format(m="%02d/%d" % (month.month, month.year))
                account = bank if kind == "bank" else cash
                due = month.replace(day=5 if payroll else rnd.randrange(5, 26))
                unpaid = month == last_month and due > today
                w.insert("cpagar", "lanc, venc, hist, valor, conta, subconta, tipodev, coddev, datapag",
                         [str(lanc), d(due), q(text), money(value), str(account), q(code), "'C'", str(cond),
                          "null" if unpaid else d(due)])
                if not unpaid:
                    trab = "FOLHA %02d/%d" % (month.month, month.year) if payroll else str(lanc)
                    w.insert("lanconta", "lanc, cond, conta, mes, data, r_d, subconta, histor, valor, numrec, trab",
                             [str(lanc), str(cond), str(account), d(month), d(due), "'D'", q(code), q(text),
                              money(value), "null", q(trab)])
                lanc += 1
            # now and then a repair, sometimes still owed
            if rnd.random() < 0.35:
                due = month.replace(day=rnd.randrange(1, 28))
                value = round(rnd.uniform(200, 3500), 2)
                text = rnd.choice(["Troca de lâmpadas do hall", "Conserto do portão eletrônico",
                                   "Desentupimento da coluna de esgoto", "Reparo no interfone",
                                   "Pintura da garagem – 1ª etapa"])
                paid = rnd.random() < 0.7 and due <= today
                w.insert("cpagar", "lanc, venc, hist, valor, conta, subconta, tipodev, coddev, datapag",
                         [str(lanc), d(due), q(text), money(value), str(bank), q("2.03.01.02"), "'C'", str(cond),
                          d(due) if paid else "null"])
                if paid:
                    w.insert("lanconta", "lanc, cond, conta, mes, data, r_d, subconta, histor, valor, numrec, trab",
                             [str(lanc), str(cond), str(bank), d(month), d(due), "'D'", q("2.03.01.02"), q(text),
                              money(value), "null", q(str(lanc))])
                lanc += 1
        # payables committed for the coming months
        for ahead in (1, 2):
            month = add_months(last_month, ahead)
            for code, hist, kind, base, payroll in expenses[:6]:
                text = hist.format(m="%02d/%d" % (month.month, month.year))
                w.insert("cpagar", "lanc, venc, hist, valor, conta, subconta, tipodev, coddev, datapag",
                         [str(lanc), d(month.replace(day=5)), q(text), money(base), str(bank), q(code), "'C'",
                          str(cond), "null"])
                lanc += 1
    w.close()
    return w.count


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scale", type=float, default=1.0)
    parser.add_argument("--today", help="the current date (YYYY-MM-DD); default: today")
    parser.add_argument("--logins", action="store_true",
                        help="only list the condominiums' numbers and passwords")
    args = parser.parse_args()
    if args.logins:
        for cond, _, password, _, _ in CONDS:
            print(cond, password)
        return
    today = dt.date.fromisoformat(args.today) if args.today else dt.date.today()
    rows = generate(args.scale, today, sys.stdout)
    print("demo: %d rows" % rows, file=sys.stderr)


if __name__ == "__main__":
    main()

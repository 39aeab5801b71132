/* The administration firm's database as the remote client sees it: every
   table and column the client reads or writes, and the three selectable
   procedures it calls. Loaded over TCP into a database created with
   default character set WIN1252, dialect 3.

   Amounts are decimal(18,2). Months are the timestamp of their first day.
   Expense amounts are stored positive; a reversal is a negative amount. */

set sql dialect 3;

/* Condominiums. remoto_senha is the password of the remote login,
   remoto_balancete the key of its balance settings, estrutu the number of
   its chart of accounts (SUBCONTA.estru). */
create table COND (
  cond             integer not null primary key,
  nome             varchar(50) not null,
  logo             blob sub_type 0,
  remoto_senha     varchar(20),
  remoto_balancete integer,
  estrutu          integer
);

/* Chart of accounts, one per structure number. tipo "R" income, "D"
   expense; codes of grades 1 to 4 look like 1, 1.01, 1.01.01, 1.01.01.01. */
create table SUBCONTA (
  estru    integer not null,
  tipo     char(1) not null,
  subconta varchar(10) not null,
  nome     varchar(50),
  primary key (estru, tipo, subconta)
);

/* Bank and cash accounts of a condominium. saldoini is the balance before
   the account's first entry. */
create table CONTA (
  cod      integer not null primary key,
  cond     integer not null,
  nome     varchar(50),
  nomered  varchar(20),
  saldoini decimal(18,2) default 0 not null
);

/* Units (properties) of a condominium: imovel is the short code ("0101"),
   complem the designation ("Apto 101"), grupo the block or tower. */
create table IMOVEL (
  cond         integer not null,
  imovel       varchar(10) not null,
  complem      varchar(15),
  grupo        varchar(10),
  proprietario varchar(50),
  primary key (cond, imovel)
);

/* Dues quotas: what a unit pays for, each with its short name (which may
   carry a mask: "@@/@@@@" is filled with the month as mm/yyyy, "@@/@@" with
   mm/yy, "##/##" with the instalment) and the income code it is booked to. */
create table COTA (
  cota     integer not null primary key,
  cond     integer not null,
  imovel   varchar(10),
  nomered  varchar(30),
  subconta varchar(10)
);

/* Bills issued to units. Unpaid while datapag is null (or a placeholder date
   before 1901). When paid, conta is the account credited. */
create table RECEMIM (
  numrec  integer not null primary key,
  cond    integer not null,
  imovel  varchar(10) not null,
  venc    timestamp,
  valor   decimal(18,2),
  mesref  timestamp,
  datapag timestamp,
  conta   integer
);

/* The lines of a bill: one per quota, with its instalment text ("03/12") and
   the month that quota's share refers to. */
create table RECEMID (
  numrec  integer not null,
  cota    integer not null,
  parcela varchar(10),
  mesref  timestamp,
  valor   decimal(18,2),
  primary key (numrec, cota)
);

/* Realized entries of the bank and cash accounts. r_d "E" other income,
   "D" expense, "R" the credit of a paid bill (numrec names it; its lines in
   RECEMID give the breakdown by quota and income code). Entries with equal
   data and trab form one lance on the balance report. */
create table LANCONTA (
  lanc     integer not null primary key,
  cond     integer not null,
  conta    integer not null,
  mes      timestamp not null,
  data     timestamp not null,
  r_d      char(1) not null,
  subconta varchar(10),
  histor   varchar(200),
  valor    decimal(18,2) not null,
  numrec   integer,
  trab     varchar(100)
);
create index LANCONTA_MES on LANCONTA (cond, mes);
create index LANCONTA_DATA on LANCONTA (cond, data);
create index LANCONTA_MESONLY on LANCONTA (mes);

/* Payables. tipodev "C" means owed by the condominium coddev; unpaid while
   datapag is null. */
create table CPAGAR (
  lanc     integer not null primary key,
  venc     date not null,
  hist     blob sub_type 1,
  valor    decimal(18,2),
  conta    integer,
  subconta varchar(20),
  tipodev  char(1),
  coddev   integer,
  datapag  date
);
create index CPAGAR_DEV on CPAGAR (tipodev, coddev);

/* Balance report settings; the client uses only histor, the history
   template of receipts of dues. */
create table BALANCETES (
  cod            integer not null primary key,
  nome           varchar(50),
  tipo           char(1),
  detsint        char(1),
  norcons        char(1),
  incdev         char(1),
  histor         varchar(250),
  formaimp       char(1),
  discota        char(1),
  estrutura      integer,
  subconta       varchar(10),
  extrato        char(1),
  emitir         char(1),
  vias           integer,
  mensa1         varchar(80),
  mensa2         varchar(80),
  mensa3         varchar(80),
  dsint          char(1),
  imp_merref     char(1),
  bal_por_imovel char(1)
);

/* The condominiums a report run asks for. Each run deletes and inserts in
   its own transaction and never commits, so no key: two clients reporting
   on the same condominium at once must not collide on it. */
create table CONDSEL (
  cond integer,
  sel  char(1)
);

/* Emission log: one row per condominium and month; character n of
   diasbal01 is "C" when the balance report was issued on day n. */
create table EMISSOES (
  cod       integer not null,
  mes       timestamp not null,
  diasbol01 char(31),
  diasbal01 char(31),
  primary key (cod, mes)
);

commit;

set term ^ ;

/* The rows of the balance report for every condominium selected in CONDSEL
   (sel = 'S') of the caller's transaction:
   - realized income ("E") and expense ("D") entries of LANCONTA, one row
     each, with VAL_LANC = the entry's amount;
   - receipts of dues: for each "R" entry of LANCONTA, one row per line of
     its bill (R_D "R"), SUBCONTA = the quota's income code, VAL_COTA = the
     line's amount, VAL_LANC = the whole credit; COTA, COMPLEM, GRUPO,
     MESREFREC (the bill's month) and MESREFCOTA (the line's month) are
     filled only when the matching flag wcota, wimovel, wgrupo, wmesrec,
     wmescota is 'S', else null;
   - committed payables: CPAGAR rows owed by the condominium (tipodev 'C'),
     unpaid, due strictly between wmesini and wmesfim, with R_D "D",
     TIPREG "Y", VAL_REC = the amount, DATA = the due date and MES its month.
   Realized rows have TIPREG "R". TRAB groups entries into lances: the
   stored trab of the entry, or "CP" and the number for a payable.
   wporperiodo 'N': realized entries booked in month wmes1 (LANCONTA.mes);
   'S': realized entries dated strictly between wmesini and wmesfim. */
create procedure SP_LANC_REMOTO_BASE (
  wgrupo char(1), wimovel char(1), wmesrec char(1), wmescota char(1),
  wcota char(1), wmes1 timestamp, wmesini timestamp, wmesfim timestamp,
  wporperiodo char(1))
returns (
  mes timestamp, cond integer, conta integer, subconta varchar(20),
  data timestamp, r_d char(1), recdesp char(1), cota integer,
  complem varchar(15), grupo varchar(10), mesrefrec timestamp,
  mesrefcota timestamp, lanc integer, numrec integer,
  val_rec decimal(18,2), val_cota decimal(18,2), val_lanc decimal(18,2),
  trab varchar(100), estrutu integer, tipreg char(1))
as
  declare variable v_complem varchar(15);
  declare variable v_grupo varchar(10);
  declare variable v_mesrefrec timestamp;
  declare variable v_mesrefcota timestamp;
  declare variable v_cota integer;
begin
  for select distinct c.cond, c.estrutu
      from condsel s join cond c on c.cond = s.cond
      where s.sel = 'S'
      into :cond, :estrutu do
  begin
    /* other income and expenses */
    for select l.mes, l.conta, l.subconta, l.data, l.r_d, l.lanc, l.valor, l.trab
        from lanconta l
        where l.cond = :cond and l.r_d in ('E', 'D')
          and ((:wporperiodo = 'N' and l.mes = :wmes1)
            or (:wporperiodo = 'S' and l.data > :wmesini and l.data < :wmesfim))
        into :mes, :conta, :subconta, :data, :r_d, :lanc, :val_lanc, :trab do
    begin
      recdesp = iif(r_d = 'D', 'D', 'R');
      cota = null; complem = null; grupo = null;
      mesrefrec = null; mesrefcota = null; numrec = null;
      val_rec = 0; val_cota = 0; tipreg = 'R';
      suspend;
    end

    /* receipts of dues, one row per line of the bill */
    for select l.mes, l.conta, l.data, l.lanc, l.valor, l.trab, l.numrec,
               d.cota, d.valor, d.mesref, m.mesref, i.complem, i.grupo, q.subconta
        from lanconta l
          join recemim m on m.numrec = l.numrec
          join recemid d on d.numrec = m.numrec
          left join cota q on q.cota = d.cota
          left join imovel i on i.cond = m.cond and i.imovel = m.imovel
        where l.cond = :cond and l.r_d = 'R'
          and ((:wporperiodo = 'N' and l.mes = :wmes1)
            or (:wporperiodo = 'S' and l.data > :wmesini and l.data < :wmesfim))
        into :mes, :conta, :data, :lanc, :val_lanc, :trab, :numrec,
             :v_cota, :val_cota, :v_mesrefcota, :v_mesrefrec, :v_complem, :v_grupo,
             :subconta do
    begin
      r_d = 'R'; recdesp = 'R'; tipreg = 'R'; val_rec = 0;
      cota = iif(wcota = 'S', v_cota, null);
      complem = iif(wimovel = 'S', v_complem, null);
      grupo = iif(wgrupo = 'S', v_grupo, null);
      mesrefrec = iif(wmesrec = 'S', v_mesrefrec, null);
      mesrefcota = iif(wmescota = 'S', v_mesrefcota, null);
      suspend;
    end

    /* committed, unpaid payables */
    for select p.venc, p.conta, p.subconta, p.lanc, p.valor
        from cpagar p
        where p.tipodev = 'C' and p.coddev = :cond and p.datapag is null
          and p.venc > :wmesini and p.venc < :wmesfim
        into :data, :conta, :subconta, :lanc, :val_rec do
    begin
      mes = dateadd(1 - extract(day from data) day to data);
      r_d = 'D'; recdesp = 'D'; tipreg = 'Y';
      cota = null; complem = null; grupo = null;
      mesrefrec = null; mesrefcota = null; numrec = null;
      val_cota = 0; val_lanc = 0;
      trab = 'CP' || lanc;
      suspend;
    end
  end
end^

/* The balance report's rows for one month (see SP_LANC_REMOTO_BASE):
   realized entries booked in month wmes1; committed payables due strictly
   between wmesini and wmesfim (the day before the month's first day and
   the day after its last). */
create procedure SP_LANC_POR_CONTA_REMOTO (
  wgrupo char(1), wimovel char(1), wmesrec char(1), wmescota char(1),
  wcota char(1), wmes1 timestamp, wmesini timestamp, wmesfim timestamp)
returns (
  mes timestamp, cond integer, conta integer, subconta varchar(20),
  data timestamp, r_d char(1), recdesp char(1), cota integer,
  complem varchar(15), grupo varchar(10), mesrefrec timestamp,
  mesrefcota timestamp, lanc integer, numrec integer,
  val_rec decimal(18,2), val_cota decimal(18,2), val_lanc decimal(18,2),
  trab varchar(100), estrutu integer, tipreg char(1))
as
begin
  for select mes, cond, conta, subconta, data, r_d, recdesp, cota, complem,
             grupo, mesrefrec, mesrefcota, lanc, numrec, val_rec, val_cota,
             val_lanc, trab, estrutu, tipreg
      from sp_lanc_remoto_base(:wgrupo, :wimovel, :wmesrec, :wmescota, :wcota,
                               :wmes1, :wmesini, :wmesfim, 'N')
      into :mes, :cond, :conta, :subconta, :data, :r_d, :recdesp, :cota,
           :complem, :grupo, :mesrefrec, :mesrefcota, :lanc, :numrec,
           :val_rec, :val_cota, :val_lanc, :trab, :estrutu, :tipreg do
    suspend;
end^

/* The same for a period: realized entries and committed payables dated
   strictly between wmesini and wmesfim; wmes1 is not used. */
create procedure SP_LANC_POR_CONTA_REMOTO_PER (
  wgrupo char(1), wimovel char(1), wmesrec char(1), wmescota char(1),
  wcota char(1), wmes1 timestamp, wmesini timestamp, wmesfim timestamp)
returns (
  mes timestamp, cond integer, conta integer, subconta varchar(20),
  data timestamp, r_d char(1), recdesp char(1), cota integer,
  complem varchar(15), grupo varchar(10), mesrefrec timestamp,
  mesrefcota timestamp, lanc integer, numrec integer,
  val_rec decimal(18,2), val_cota decimal(18,2), val_lanc decimal(18,2),
  trab varchar(100), estrutu integer, tipreg char(1))
as
begin
  for select mes, cond, conta, subconta, data, r_d, recdesp, cota, complem,
             grupo, mesrefrec, mesrefcota, lanc, numrec, val_rec, val_cota,
             val_lanc, trab, estrutu, tipreg
      from sp_lanc_remoto_base(:wgrupo, :wimovel, :wmesrec, :wmescota, :wcota,
                               :wmes1, :wmesini, :wmesfim, 'S')
      into :mes, :cond, :conta, :subconta, :data, :r_d, :recdesp, :cota,
           :complem, :grupo, :mesrefrec, :mesrefcota, :lanc, :numrec,
           :val_rec, :val_cota, :val_lanc, :trab, :estrutu, :tipreg do
    suspend;
end^

/* Month figures of one account (conta) or of every account of the
   condominium (conta = -1), for the month whose first day is mes, from the
   realized entries of LANCONTA booked in that month:
   RECEITAS = income and receipts ("E" and "R"), DESPESAS = expenses ("D"),
   SALDOFIM = the accounts' saldoini plus every income minus every expense
   booked up to and including that month. Always exactly one row. */
create procedure PEGA_SALDO (cond integer, conta integer, mes timestamp)
returns (receitas decimal(18,2), despesas decimal(18,2), saldofim decimal(18,2))
as
begin
  select coalesce(sum(iif(l.r_d in ('E', 'R'), l.valor, 0)), 0),
         coalesce(sum(iif(l.r_d = 'D', l.valor, 0)), 0)
    from lanconta l
    where l.cond = :cond and l.mes = :mes and (:conta = -1 or l.conta = :conta)
    into :receitas, :despesas;

  select coalesce(sum(iif(l.r_d = 'D', -l.valor, l.valor)), 0)
    from lanconta l
    where l.cond = :cond and l.mes <= :mes and (:conta = -1 or l.conta = :conta)
    into :saldofim;

  saldofim = saldofim + (select coalesce(sum(c.saldoini), 0) from conta c
                         where c.cond = :cond and (:conta = -1 or c.cod = :conta));
  suspend;
end^

set term ; ^
commit;

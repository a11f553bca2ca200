-- Vendor database "pelmar": the tables the Kvor Pro client reads and writes.
-- Loaded into a fresh database by scripts/vendor-server.sh.
--
-- The database runs in Windows-1250, the character set the client declares with SET names cp1250,
-- so text arrives and leaves byte for byte. Request tables are transactional (InnoDB): the client
-- submits and exports in BEGIN ... commit scripts. The code lists are MyISAM: its table status
-- carries a reliable Update_time, which the client's refresh compares with the time it stored.
-- Code list columns may be of any type: the client's copy turns each into a field its dBase files hold.

SET NAMES utf8mb4;

-- The fifty request columns are written once, here in the partner export table; kvor_zadost is
-- made from it below. Text widths follow the local request record; dates accept '2012-3-5',
-- counts accept quoted text, decimals accept 012.5.
CREATE TABLE ex_zadost (
    id INT NOT NULL AUTO_INCREMENT,
    EX_ICO VARCHAR(20) NOT NULL DEFAULT '',
    PRI_ICO VARCHAR(20) NOT NULL DEFAULT '',
    STREDISKO VARCHAR(3),
    ROK VARCHAR(4),
    PODNIK VARCHAR(4),
    PRIHLASKA VARCHAR(5),
    DIL VARCHAR(2),
    PARTIE VARCHAR(9),
    PARTIECELA VARCHAR(16),
    ZADOST_O VARCHAR(1),
    POOT VARCHAR(80),
    ODRUDA VARCHAR(5),
    DRUH VARCHAR(4),
    NAZ_DRU VARCHAR(40),
    NAZ_ODRU VARCHAR(40),
    STUPEN VARCHAR(3),
    CZP VARCHAR(6),
    ZAHRPARTIE VARCHAR(20),
    ROZ_P1 VARCHAR(16),
    ROZ_P2 VARCHAR(16),
    ROZ_P3 VARCHAR(16),
    ROZ_P4 VARCHAR(16),
    ROZ_P5 VARCHAR(16),
    ROZ_P6 VARCHAR(16),
    ROZ_P7 VARCHAR(16),
    ROZ_P8 VARCHAR(16),
    ROZ_P9 VARCHAR(16),
    ROZ_P10 VARCHAR(16),
    MNOZSTVI DECIMAL(19,4),
    BRUTTO DECIMAL(19,4),
    MJ VARCHAR(3),
    OBALY_TXT VARCHAR(20),
    POCET INT,
    OBALY2_TXT VARCHAR(20),
    POCET2 INT,
    NAV1 VARCHAR(72),
    NAV2 VARCHAR(72),
    TYP_NA VARCHAR(1),
    OSETRENITX VARCHAR(20),
    MORIDLOTXT VARCHAR(30),
    MISTOODBER VARCHAR(25),
    DATUMODBER DATE,
    DATUM DATE,
    POZADAV1 VARCHAR(80),
    POZADAV2 VARCHAR(80),
    UZ1 VARCHAR(80),
    UZ2 VARCHAR(80),
    UZNA_NIZSI VARCHAR(1),
    VEGET VARCHAR(1),
    OPAKHH VARCHAR(1),
    DPODNIK VARCHAR(4),
    id_trivan VARCHAR(18),
    PRIMARY KEY (id),
    KEY ex_zadost_klic (EX_ICO, PRI_ICO, ZADOST_O, PARTIECELA)
) ENGINE=InnoDB;

-- The client's own request table: the same fifty columns, with the company and the results.
CREATE TABLE kvor_zadost LIKE ex_zadost;
ALTER TABLE kvor_zadost
    DROP KEY ex_zadost_klic,
    DROP COLUMN EX_ICO,
    DROP COLUMN PRI_ICO,
    ADD COLUMN id_firma INT NOT NULL DEFAULT 0 AFTER id,
    ADD COLUMN ICO VARCHAR(20) NOT NULL DEFAULT '' AFTER id_firma,
    -- Filled by the laboratory on the server. The client never writes ULC: a request it submits
    -- starts with the empty ULC, which the listing "without ULČ" selects; the laboratory's side
    -- may still write NULL.
    ADD COLUMN ULC VARCHAR(12) NULL DEFAULT '',
    ADD COLUMN DATUMROZHO DATE,
    ADD COLUMN UZNA_STUP VARCHAR(3),
    ADD COLUMN DATUMZK DATE,
    ADD COLUMN CISTOTA DECIMAL(6,2),
    ADD COLUMN NECISTOTY VARCHAR(5),
    ADD COLUMN JINEKULTUR VARCHAR(5),
    ADD COLUMN POCET_DNU VARCHAR(3),
    ADD COLUMN KLICIVOST DECIMAL(6,2),
    ADD COLUMN TVRDY DECIMAL(6,2),
    ADD COLUMN V_KLICKY DECIMAL(6,2),
    ADD COLUMN VLHKOST DECIMAL(6,2),
    ADD COLUMN MKS DECIMAL(8,2),
    ADD COLUMN HTS DECIMAL(8,2),
    ADD COLUMN TEXT_KULTU VARCHAR(75),
    ADD COLUMN TEXT_PLEVE VARCHAR(75),
    ADD COLUMN ZJISTENI VARCHAR(75),
    ADD COLUMN ZJISTENI2 VARCHAR(75),
    ADD COLUMN ZJISTENI3 VARCHAR(40),
    ADD COLUMN ZJISTENI4 VARCHAR(75),
    ADD COLUMN vlozeno TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    ADD KEY kvor_zadost_klic (id_firma, ZADOST_O, PARTIECELA),
    ADD KEY kvor_zadost_ico (ICO, DATUM);

-- Documents exchanged between two companies; the client adds one row per exported request.
CREATE TABLE historie (
    id INT NOT NULL AUTO_INCREMENT,
    EX_ICO VARCHAR(20) NOT NULL DEFAULT '',
    EX_NAZEV VARCHAR(80),
    datumcas DATETIME,
    doklad VARCHAR(2),
    cislodokla VARCHAR(20),
    ICO VARCHAR(20),
    NAZEVPODNI VARCHAR(80),
    PRIMARY KEY (id),
    KEY historie_ico (ICO, datumcas)
) ENGINE=InnoDB;

-- Companies known to the vendor; partners are looked up here by ICO.
CREATE TABLE firmy (
    ICO VARCHAR(20) NOT NULL,
    nazev VARCHAR(80) NOT NULL,
    ulice VARCHAR(40),
    psc VARCHAR(6),
    obec VARCHAR(40),
    PRIMARY KEY (ICO)
) ENGINE=InnoDB;

-- One row per workstation of a customer company, made by the vendor. User and computer names are
-- not case-sensitive on the workstations, so the lookup by them must not be either.
CREATE TABLE kvor_firmy (
    id INT NOT NULL AUTO_INCREMENT,
    ICO VARCHAR(20) COLLATE cp1250_general_ci NOT NULL DEFAULT '',
    computeruser VARCHAR(80) COLLATE cp1250_general_ci NOT NULL DEFAULT '',
    computername VARCHAR(80) COLLATE cp1250_general_ci NOT NULL DEFAULT '',
    nazev VARCHAR(80),
    zalozeno TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    PRIMARY KEY (id),
    KEY kvor_firmy_stanice (ICO, computeruser, computername)
) ENGINE=InnoDB;

-- Usage log: one row per company lookup.
CREATE TABLE kvor_historiem (
    id INT NOT NULL AUTO_INCREMENT,
    modul VARCHAR(20),
    pc VARCHAR(40),
    stredisko VARCHAR(20),
    datumcas DATETIME,
    ICO VARCHAR(20),
    nazevpodni VARCHAR(80),
    computeruser VARCHAR(80),
    computername VARCHAR(80),
    id_firma INT,
    PRIMARY KEY (id),
    KEY kvor_historiem_ico (ICO, datumcas)
) ENGINE=InnoDB;

-- Code lists copied whole by the client.
CREATE TABLE druh (
    KOD VARCHAR(4) NOT NULL,
    NAZEV VARCHAR(40) NOT NULL,
    PRIMARY KEY (KOD)
) ENGINE=MyISAM;

CREATE TABLE odruda (
    kod VARCHAR(5) NOT NULL,
    nazev VARCHAR(40) NOT NULL,
    DRUH VARCHAR(4) NOT NULL,
    registrace DATE,
    PRIMARY KEY (kod),
    KEY odruda_druh (DRUH)
) ENGINE=MyISAM;

-- Certifying offices; a non-empty ico marks a partner that sees exported requests.
CREATE TABLE zadostadre (
    adresa VARCHAR(80) NOT NULL,
    ico VARCHAR(12) NOT NULL DEFAULT '',
    ulice VARCHAR(40),
    psc VARCHAR(6),
    obec VARCHAR(40),
    pracoviste INT,
    poplatek DECIMAL(8,2),
    platnostod DATE,
    PRIMARY KEY (adresa)
) ENGINE=MyISAM;

-- Documents stored for the companies; type 19 is the laboratory result (a PDF under its ULČ).
CREATE TABLE kvor_doklady (
    id INT NOT NULL AUTO_INCREMENT,
    typ INT NOT NULL,
    ICO VARCHAR(20) NOT NULL,
    cislodokladu VARCHAR(20) NOT NULL,
    obsah LONGBLOB,
    vlozeno TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    PRIMARY KEY (id),
    KEY kvor_doklady_cislo (typ, ICO, cislodokladu)
) ENGINE=InnoDB;

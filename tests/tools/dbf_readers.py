"""kvor-dbf against independent dBase readers and writers.

A table that `kvor-dbf create` writes must read back with the same values in dbfread and in
GDAL; a table that GDAL writes must read back with the same values in `kvor-dbf dump`.

Usage: dbf_readers.py PATH-TO-kvor-dbf
"""

import csv
import datetime
import io
import os
import subprocess
import sys
import tempfile
import unittest

import dbfread

KVOR_DBF = None

FIELDS = "NAZEV:C:28,NC:N:19:4,MNOZSTVI:N:10:2,KS:N:5,DATUM:D,OK:L"

# (NAZEV, NC, MNOZSTVI, KS, DATUM, OK) with None for null.
ROWS = [
    ("Pšenice ozimá", 12.5, 1234567.89, 7, datetime.date(2012, 3, 15), True),
    ("Žito, \"Dańkowskie\"", -3.25, 0.5, -12, datetime.date(1999, 12, 31), False),
    ("Ječmen jarní – sladovnický", 0.0, None, 0, None, None),
    (None, None, None, None, None, None),
    ("Čočka ŘĚŠČŽÝÁÍÉ ůú", 99999999999999.0, -999999.99, 99999, datetime.date(1, 1, 1), True),
]


def cell(value):
    if value is None:
        return ""
    if isinstance(value, bool):
        return "T" if value else "F"
    if isinstance(value, datetime.date):
        return "%04d-%02d-%02d" % (value.year, value.month, value.day)
    return str(value)


def run_tool(*args, check=True):
    proc = subprocess.run([KVOR_DBF, *args], capture_output=True, text=True, encoding="utf-8")
    if check and proc.returncode != 0:
        raise AssertionError("kvor-dbf %s failed (%d): %s" % (" ".join(args), proc.returncode, proc.stderr))
    return proc


def ogr_rows(path, encoding="CP1250"):
    """The table as GDAL reads it, through its CSV writer."""
    proc = subprocess.run(
        ["ogr2ogr", "-f", "CSV", "/vsistdout/", path, "-oo", "ENCODING=" + encoding],
        capture_output=True, text=True, encoding="utf-8", check=True)
    return list(csv.DictReader(io.StringIO(proc.stdout)))


class KvorDbfTablesReadElsewhere(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.dir.name, "cenik.dbf")
        source = os.path.join(self.dir.name, "in.csv")
        with open(source, "w", encoding="utf-8", newline="") as f:
            w = csv.writer(f, lineterminator="\n")
            w.writerow(["NAZEV", "NC", "MNOZSTVI", "KS", "DATUM", "OK"])
            for row in ROWS:
                w.writerow([cell(v) for v in row])
        run_tool("create", self.path, "--fields", FIELDS, "--csv", source)

    def tearDown(self):
        self.dir.cleanup()

    def test_dbfread_reads_the_same_values(self):
        table = dbfread.DBF(self.path, encoding="cp1250")
        self.assertEqual(table.field_names, ["NAZEV", "NC", "MNOZSTVI", "KS", "DATUM", "OK"])
        self.assertEqual([(f.type, f.length, f.decimal_count) for f in table.fields],
                         [("C", 28, 0), ("N", 19, 4), ("N", 10, 2), ("N", 5, 0), ("D", 8, 0), ("L", 1, 0)])
        records = list(table)
        self.assertEqual(len(records), len(ROWS))
        for record, expected in zip(records, ROWS):
            name, nc, amount, count, date, ok = expected
            # dbfread gives '' for a blank C field and None for blank numbers, dates and logicals.
            self.assertEqual(record["NAZEV"], name or "")
            self.assertEqual(record["NC"], nc)
            self.assertEqual(record["MNOZSTVI"], amount)
            self.assertEqual(record["KS"], count)
            self.assertEqual(record["DATUM"], date)
            self.assertEqual(record["OK"], ok)

    def test_gdal_reads_the_same_values(self):
        rows = ogr_rows(self.path)
        self.assertEqual(len(rows), len(ROWS))
        for row, expected in zip(rows, ROWS):
            name, nc, amount, count, date, ok = expected
            # GDAL trims a C field on both sides; these names have no leading blanks.
            self.assertEqual(row["NAZEV"], name or "")
            for key, value in (("NC", nc), ("MNOZSTVI", amount), ("KS", count)):
                if value is None:
                    self.assertEqual(row[key], "")
                else:
                    self.assertAlmostEqual(float(row[key]), value, places=4)
            expected_date = "" if date is None else "%04d/%02d/%02d" % (date.year, date.month, date.day)
            self.assertEqual(row["DATUM"], expected_date)
            self.assertEqual(row["OK"], "" if ok is None else ("T" if ok else "F"))

    def test_ogrinfo_lists_the_fields_and_values(self):
        summary = subprocess.run(["ogrinfo", "-so", "-al", "-oo", "ENCODING=CP1250", self.path],
                                 capture_output=True, text=True, encoding="utf-8", check=True).stdout
        self.assertIn("Feature Count: 5", summary)
        for line in ("NAZEV: String (28.0)", "NC: Real (19.4)", "MNOZSTVI: Real (10.2)", "KS: Integer (5.0)",
                     "DATUM: Date (10.0)", "OK: String (1.0)"):
            self.assertIn(line, summary)
        features = subprocess.run(["ogrinfo", "-q", "-al", "-oo", "ENCODING=CP1250", self.path],
                                  capture_output=True, text=True, encoding="utf-8", check=True).stdout
        for line in ("NAZEV (String) = Pšenice ozimá", "NC (Real) = 12.5000", "MNOZSTVI (Real) = 1234567.89",
                     "KS (Integer) = -12", "DATUM (Date) = 2012/03/15", "NAZEV (String) = Čočka ŘĚŠČŽÝÁÍÉ ůú",
                     "NAZEV (String) = (null)"):
            self.assertIn("  " + line + "\n", features)

    def test_info_and_dump_round_trip(self):
        info = run_tool("info", self.path).stdout.splitlines()
        self.assertIn("version: 0x03", info)
        self.assertIn("records: 5", info)
        self.assertIn("header length: %d" % (32 + 32 * 6 + 1), info)
        self.assertIn("record length: %d" % (1 + 28 + 19 + 10 + 5 + 8 + 1), info)
        self.assertEqual(info[-6:], ["NAZEV C 28 0", "NC N 19 4", "MNOZSTVI N 10 2", "KS N 5 0", "DATUM D 8 0",
                                     "OK L 1 0"])
        dumped = list(csv.reader(io.StringIO(run_tool("dump", self.path).stdout)))
        self.assertEqual(dumped[0], ["NAZEV", "NC", "MNOZSTVI", "KS", "DATUM", "OK"])
        self.assertEqual(dumped[1], ["Pšenice ozimá", "12.5000", "1234567.89", "7", "2012-03-15", "T"])
        self.assertEqual(dumped[4], ["", "", "", "", "", ""])
        # A second table made from the dump is the same file apart from its creation date.
        again = os.path.join(self.dir.name, "znovu.dbf")
        source = os.path.join(self.dir.name, "dump.csv")
        with open(source, "w", encoding="utf-8") as f:
            f.write(run_tool("dump", self.path).stdout)
        run_tool("create", again, "--fields", FIELDS, "--csv", source)
        with open(self.path, "rb") as a, open(again, "rb") as b:
            first, second = a.read(), b.read()
        self.assertEqual(first[:1] + first[4:], second[:1] + second[4:])


class LargeTablesReadElsewhere(unittest.TestCase):
    """kvor-dbf create writes a new table in blocks: a table of several blocks must read back
    record for record in dbfread and GDAL."""

    def test_every_record_reads_back(self):
        count = 10000
        expected = [("Odrůda č. %d" % i, i * 0.25 - 100.0, i % 1000, datetime.date(2012, 3, 15)
                     + datetime.timedelta(days=i), i % 2 == 0) for i in range(1, count + 1)]
        with tempfile.TemporaryDirectory() as d:
            source = os.path.join(d, "in.csv")
            with open(source, "w", encoding="utf-8", newline="") as f:
                w = csv.writer(f, lineterminator="\n")
                w.writerow(["NAZEV", "NC", "KS", "DATUM", "OK"])
                for row in expected:
                    w.writerow([cell(v) for v in row])
            path = os.path.join(d, "velka.dbf")
            run_tool("create", path, "--fields", "NAZEV:C:28,NC:N:19:4,KS:N:5,DATUM:D,OK:L", "--csv", source)
            theirs = [(r["NAZEV"], r["NC"], r["KS"], r["DATUM"], r["OK"])
                      for r in dbfread.DBF(path, encoding="cp1250")]
            self.assertEqual(theirs, expected)
            rows = ogr_rows(path)
            self.assertEqual(len(rows), count)
            for row, (name, nc, ks, date, ok) in zip(rows, expected):
                self.assertEqual((row["NAZEV"], float(row["NC"]), int(row["KS"]), row["DATUM"], row["OK"]),
                                 (name, nc, ks, date.strftime("%Y/%m/%d"), "T" if ok else "F"))


class GdalTablesReadByKvorDbf(unittest.TestCase):
    def test_ogr2ogr_table_dumps_the_same_values(self):
        with tempfile.TemporaryDirectory() as d:
            source = os.path.join(d, "odrudy.csv")
            with open(source, "w", encoding="utf-8", newline="") as f:
                f.write("NAZEV,CENA,POCET,DATUM\n")
                f.write("Pšenice ozimá,12.5,7,2012-03-15\n")
                f.write("\"Žito, jarní\",-3.25,-12,1999-12-31\n")
                f.write("Oves,,,\n")
            target = os.path.join(d, "odrudy.dbf")
            subprocess.run(["ogr2ogr", "-f", "ESRI Shapefile", target, source, "-oo", "AUTODETECT_TYPE=YES",
                            "-lco", "ENCODING=CP1250"], check=True, capture_output=True)
            info = run_tool("info", target).stdout
            self.assertIn("records: 3", info)
            rows = list(csv.DictReader(io.StringIO(run_tool("dump", target).stdout)))
            self.assertEqual([r["NAZEV"] for r in rows], ["Pšenice ozimá", "Žito, jarní", "Oves"])
            self.assertEqual([float(r["CENA"]) if r["CENA"] else None for r in rows], [12.5, -3.25, None])
            self.assertEqual([int(float(r["POCET"])) if r["POCET"] else None for r in rows], [7, -12, None])
            self.assertEqual([r["DATUM"] for r in rows], ["2012-03-15", "1999-12-31", ""])


def foreign_table(path, version, fields, records):
    """A table laid out byte by byte: fields as (name, letter, length, decimals), records as the
    bytes after the deletion flag."""
    import struct
    header_length = 32 + 32 * len(fields) + 1 + (263 if version == 0x30 else 0)
    record_length = 1 + sum(f[2] for f in fields)
    out = bytearray(32)
    out[0], out[1], out[2], out[3] = version, 124, 3, 15
    struct.pack_into("<IHH", out, 4, len(records), header_length, record_length)
    offset = 1
    for name, letter, length, decimals in fields:
        d = bytearray(32)
        d[0:len(name)] = name.encode("ascii")
        d[11] = ord(letter)
        struct.pack_into("<I", d, 12, offset)
        d[16], d[17] = length, decimals
        out += d
        offset += length
    out += b"\r"
    out += b"\0" * (header_length - len(out))
    for r in records:
        out += b" " + r
    out += b"\x1a"
    with open(path, "wb") as f:
        f.write(out)


class ForeignTablesReadAsOthersReadThem(unittest.TestCase):
    """Field kinds the program never writes, in files of other programs: kvor-dbf must give the
    values that dbfread gives (binary I, O and Y fields) and that GDAL gives (wide N fields)."""

    def test_foxpro_binary_fields_match_dbfread(self):
        import struct
        rows = [(-5, 12.25, 123456), (0, 0.0, -1), (2 ** 31 - 1, -1.5e300, 0), (-(2 ** 31), 1e-7, 2 ** 62)]
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "vfp.dbf")
            foreign_table(path, 0x30, [("CISLO", "I", 4, 0), ("DBL", "O", 8, 0), ("CENA", "Y", 8, 4)],
                          [struct.pack("<idq", *r) for r in rows])
            expected = list(dbfread.DBF(path))
            dumped = list(csv.DictReader(io.StringIO(run_tool("dump", path).stdout)))
            self.assertEqual(len(dumped), len(expected))
            for ours, theirs in zip(dumped, expected):
                self.assertEqual(int(ours["CISLO"]), theirs["CISLO"])
                self.assertEqual(float(ours["DBL"]), theirs["DBL"])
                self.assertEqual(round(float(ours["CENA"]), 4), float(theirs["CENA"]))

    def test_wide_numbers_match_gdal(self):
        texts = [b"1234567890.12", b"-98765432109876543210.5", b"abc", b"", b"12345678901234567890123456789012345.5"]
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "siroke.dbf")
            foreign_table(path, 0x03, [("SIROKE", "N", 40, 2)], [t.rjust(40) for t in texts])
            theirs = [r["SIROKE"] for r in ogr_rows(path)]
            # A row of one null cell is an empty line, which csv.reader gives as [].
            ours = [r[0] if r else "" for r in csv.reader(io.StringIO(run_tool("dump", path).stdout))][1:]
            self.assertEqual(len(ours), len(theirs))
            for a, b in zip(ours, theirs):
                if b == "":
                    self.assertEqual(a, "")
                else:
                    self.assertAlmostEqual(float(a), float(b), delta=abs(float(b)) * 1e-15)

    def test_upper_case_file_name_is_found(self):
        with tempfile.TemporaryDirectory() as d:
            foreign_table(os.path.join(d, "CENIK.DBF"), 0x03, [("DRUH", "C", 5, 0)], [b"Oves "])
            for name in ("CENIK.DBF", "cenik.dbf", "Cenik.Dbf"):
                with self.subTest(name=name):
                    info = run_tool("info", os.path.join(d, name)).stdout
                    self.assertIn("records: 1", info)
            self.assertEqual(os.listdir(d), ["CENIK.DBF"])


class Failures(unittest.TestCase):
    def test_bad_files_and_arguments_fail_with_a_message(self):
        with tempfile.TemporaryDirectory() as d:
            bad = os.path.join(d, "spatny.dbf")
            with open(bad, "wb") as f:
                f.write(b"\x31" + b"\0" * 40)
            cases = [
                (("info", bad), "Invalid database file"),
                (("dump", os.path.join(d, "chybi.dbf")), "Cannot open file"),
                (("create", os.path.join(d, "x.dbf"), "--fields", "A:C:300"), "Invalid field size"),
                (("create", os.path.join(d, "y.dbf"), "--fields", "A:X:3"), "A:X:3"),
                (("nic",), "kvor-dbf"),
            ]
            for args, message in cases:
                with self.subTest(args=args):
                    proc = run_tool(*args, check=False)
                    self.assertEqual(proc.returncode, 1)
                    self.assertIn(message, proc.stderr)
                    self.assertEqual(proc.stdout, "")

    def test_a_number_too_wide_stops_create(self):
        with tempfile.TemporaryDirectory() as d:
            source = os.path.join(d, "in.csv")
            with open(source, "w", encoding="utf-8") as f:
                f.write("KS\n12\n123456\n")
            target = os.path.join(d, "ks.dbf")
            proc = run_tool("create", target, "--fields", "KS:N:5", "--csv", source, check=False)
            self.assertEqual(proc.returncode, 1)
            self.assertIn("KS", proc.stderr)
            # The rows before the refused one are in the table, and nothing was cut.
            self.assertEqual([r["KS"] for r in dbfread.DBF(target)], [12])


if __name__ == "__main__":
    KVOR_DBF = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)

#!/usr/bin/env python3
"""Hostile source files and what one merge of each costs.

Usage: hostile_inputs.py CLI TEMPLATE SOURCE.xlsx SOURCE.xls [FOLDER]

Makes, beside copies of the given files in FOLDER (a new temporary folder by
default): a zip bomb (.xlsx whose xl/workbook.xml inflates to 50 MB of empty
elements), an .xlsx whose workbook part declares a 40 KB entity used 4,000
times, and a sparse 1 GiB .xls (the source, grown with a hole). Then runs
`CLI TEMPLATE out.xls SOURCE` once for each and prints the exit status, the
seconds and the peak resident memory of the command line (not its offices),
with the load average. Figures, not assertions: compare two builds side by side.
"""
import os
import resource
import subprocess
import sys
import tempfile
import time
import zipfile


def deflated(name):
    info = zipfile.ZipInfo(name)
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def rewrite_workbook_part(source, target, change):
    with zipfile.ZipFile(source) as zin, zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as zout:
        for item in zin.infolist():
            data = zin.read(item.filename)
            if item.filename == "xl/workbook.xml":
                change(zout, item.filename, data)
            else:
                zout.writestr(item, data)


def zip_bomb(source, target, elements=12_500_000):
    def change(zout, name, data):
        head, tail = data.split(b"</workbook>")
        with zout.open(deflated(name), "w", force_zip64=True) as out:
            out.write(head + b'<extLst><ext uri="{00000000-0000-0000-0000-000000000000}">')
            chunk = b"<a/>" * 100_000
            for _ in range(elements // 100_000):
                out.write(chunk)
            out.write(b"</ext></extLst></workbook>" + tail)
    rewrite_workbook_part(source, target, change)


def entity_expansion(source, target, size=40_000, uses=4_000):
    def change(zout, name, data):
        declaration = b'<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE workbook [<!ENTITY big "' + b"x" * size + b'">]>'
        body = data[data.index(b"<workbook"):]
        body = body.replace(b"</workbook>", b"<extLst><ext uri=\"{0}\"><a>" + b"&big;" * uses + b"</a></ext></extLst></workbook>")
        zout.writestr(deflated(name), declaration + body)
    rewrite_workbook_part(source, target, change)


def sparse(source, target, size=1 << 30):
    with open(source, "rb") as f, open(target, "wb") as out:
        out.write(f.read())
        out.truncate(size)


def run(cli, template, source, folder):
    output = os.path.join(folder, "out.xls")
    if os.path.exists(output):
        os.remove(output)
    started = time.monotonic()
    child = subprocess.Popen([cli, template, output, source], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.monotonic() - started
    err = child.stderr.read().decode(errors="replace").strip().splitlines()
    code = os.waitstatus_to_exitcode(status)
    return code, seconds, usage.ru_maxrss / 1024, err[:2]


def main():
    cli, template, xlsx, xls = sys.argv[1:5]
    folder = sys.argv[5] if len(sys.argv) > 5 else tempfile.mkdtemp(prefix="hostile-")
    os.makedirs(folder, exist_ok=True)
    cases = {
        "zip bomb (.xlsx, 50 MB workbook part)": os.path.join(folder, "bomb.xlsx"),
        "entity used 4,000 times (.xlsx)": os.path.join(folder, "entity.xlsx"),
        "sparse 1 GiB .xls": os.path.join(folder, "sparse.xls"),
    }
    makers = [zip_bomb, entity_expansion, None]
    for (name, path), maker in zip(cases.items(), makers):
        if not os.path.exists(path):
            if maker:
                maker(xlsx, path)
            else:
                sparse(xls, path)
    print(f"load average {os.getloadavg()[0]:.2f}; {cli}")
    for name, path in cases.items():
        code, seconds, peak_mb, err = run(cli, template, path, folder)
        print(f"{name}: exit {code}, {seconds:.1f} s, peak {peak_mb:.0f} MiB; {' | '.join(err)[:200]}")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Compiles the help file and checks what a reader relies on.

  check_help.py CHMCMD SOURCE_DIR PICTURE_DIR

The pages of SOURCE_DIR/help and the pictures of PICTURE_DIR are compiled
with CHMCMD in a scratch folder. Then, from the compiled file's own
directory: every page is in the contents and in the index, every link and
picture of every page names a file inside it (and an anchor that the page
has), and every dialog template of SOURCE_DIR/res and every window class of
the program has a page that names it and shows it.
"""
import glob
import html.parser
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

# Each dialog template and window class, and the page that describes it.
DIALOG_PAGES = {
    "IDD_RENAME": "rename.html",
    "IDD_CALENDAR": "calendar.html",
    "IDD_SMALL_IMAGE": "details.html",
    "IDD_LARGE_IMAGE": "details.html",
    "IDD_OPTIONS": "options.html",
    "IDD_SIZE_PRESETS": "sizes.html",
}
CLASS_PAGES = {
    "Tolvex_main_class": ("main.html", "メインウィンドウ"),
    "Tolvex_prv_class": ("preview.html", "プレビュー"),
    "Tolvex_trbase_class": ("folders.html", "フォルダ選択"),
    "ver_parent_class": ("about.html", "バージョン情報"),
    "ver_child_class": ("about.html", "リンク"),
    "Tolvex_wpbg_wproc": ("options.html", "壁紙余白の色"),
}
# The calendar dialog's colour swatches: one class per colour.
SWATCH = re.compile(r"Tolvex_cc\w+cb_wproc")


def encint(data, pos):
    value = 0
    while True:
        byte = data[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, pos


def chm_names(path):
    """The names in a compiled help file's directory (its PMGL chunks)."""
    data = open(path, "rb").read()
    if data[:4] != b"ITSF":
        raise ValueError("not a compiled help file")
    dir_offset = struct.unpack_from("<Q", data, 0x48)[0]
    if data[dir_offset:dir_offset + 4] != b"ITSP":
        raise ValueError("no directory")
    header_len, = struct.unpack_from("<I", data, dir_offset + 8)
    chunk_size, = struct.unpack_from("<I", data, dir_offset + 0x10)
    chunks, = struct.unpack_from("<I", data, dir_offset + 0x2C)
    names = set()
    for c in range(chunks):
        start = dir_offset + header_len + c * chunk_size
        chunk = data[start:start + chunk_size]
        if chunk[:4] != b"PMGL":
            continue
        free, = struct.unpack_from("<I", chunk, 4)
        pos, end = 0x14, chunk_size - free
        while pos < end:
            length, pos = encint(chunk, pos)
            names.add(chunk[pos:pos + length].decode("utf-8"))
            pos += length
            for _ in range(3):  # section, offset, length
                _, pos = encint(chunk, pos)
    return names


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.refs, self.ids, self.images, self.text = [], set(), [], []

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "a" and "href" in a:
            self.refs.append(a["href"])
        if tag in ("img", "link") and ("src" in a or "href" in a):
            self.refs.append(a.get("src") or a.get("href"))
        if tag == "img":
            self.images.append(a.get("src"))

    def handle_data(self, data):
        self.text.append(data)


def sitemap_targets(path):
    text = open(path, "rb").read().decode("cp932")
    return re.findall(r'<param name="Local" value="([^"]+)">', text)


def main():
    chmcmd, source, pictures = sys.argv[1:4]
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        work = os.path.join(scratch, "help")
        shutil.copytree(os.path.join(source, "help"), work)
        for picture in glob.glob(os.path.join(pictures, "*.png")):
            shutil.copy(picture, work)
        compiled = subprocess.run([chmcmd, "--no-html-scan", "--verbosity", "1", "tolvex.hhp"],
                                  cwd=work, capture_output=True, text=True)
        if compiled.returncode != 0 or not os.path.exists(os.path.join(work, "Tolvex.chm")):
            print(compiled.stdout + compiled.stderr)
            print("the help file did not compile")
            return 1
        inside = {n.lstrip("/") for n in chm_names(os.path.join(work, "Tolvex.chm"))
                  if not n.startswith("/#") and not n.startswith("::")}
        pages = {}
        for name in sorted(n for n in inside if n.endswith(".html")):
            page = Page()
            page.feed(open(os.path.join(work, name), encoding="utf-8").read())
            pages[name] = page
        sources = {os.path.basename(p) for p in glob.glob(os.path.join(work, "*.html"))}
        for name in sorted(sources - set(pages)):
            failures.append(f"{name} is not in the compiled file")

        contents = set(sitemap_targets(os.path.join(work, "toc.hhc")))
        index = set(sitemap_targets(os.path.join(work, "tolvex.hhk")))
        for name in sorted(pages):
            if name not in contents:
                failures.append(f"{name} is not in the contents")
            if name not in index:
                failures.append(f"{name} is not in the index")
        for target in sorted(contents | index):
            if target.split("#")[0] not in inside:
                failures.append(f"contents or index names {target}, which is not inside")

        for name, page in sorted(pages.items()):
            for ref in page.refs:
                if re.match(r"^(https?|mailto):", ref):
                    continue
                target, _, anchor = ref.partition("#")
                target = target or name
                if target not in inside:
                    failures.append(f"{name}: {ref} is not inside")
                elif anchor and target in pages and anchor not in pages[target].ids:
                    failures.append(f"{name}: {target} has no anchor {anchor}")

        def described(page_name, words, what):
            page = pages.get(page_name)
            if page is None:
                failures.append(f"{what} has no page ({page_name})")
            elif words not in "".join(page.text):
                failures.append(f"{page_name} does not name {words} ({what})")
            elif not page.images:
                failures.append(f"{page_name} shows no picture of {what}")

        rc_text = "".join(open(p, encoding="utf-8").read()
                          for p in glob.glob(os.path.join(source, "res", "*.rc")))
        for dialog, caption in re.findall(r'(\w+)\s+DIALOGEX[^\n]*\n(?:[^\n]*\n)*?CAPTION\s+"([^"]+)"',
                                          rc_text):
            if dialog not in DIALOG_PAGES:
                failures.append(f"dialog {dialog} ({caption}) has no page in the table")
            else:
                described(DIALOG_PAGES[dialog], caption, dialog)
        code = "".join(open(p, encoding="utf-8", errors="replace").read()
                       for d in ("ui", "app", "program")
                       for p in glob.glob(os.path.join(source, d, "*.cpp")))
        for cls in sorted(set(re.findall(r'L"(\w+_(?:class|wproc))"', code))):
            if SWATCH.fullmatch(cls):
                described("calendar.html", "文字色", cls)
            elif cls not in CLASS_PAGES:
                failures.append(f"window class {cls} has no page in the table")
            else:
                described(*CLASS_PAGES[cls], cls)

    for f in failures:
        print(f)
    print(f"{len(pages)} pages, {len(inside)} files inside, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Every link and picture of the packaged pages must lead to a file the package holds, and a
link to a place in a page to an id that page has.

    check_links.py PACKAGE_FOLDER
"""
import html.parser
import os
import sys
import urllib.parse


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.targets = []
        self.ids = set()

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if "id" in attrs:
            self.ids.add(attrs["id"])
        for name in ("href", "src"):
            if attrs.get(name):
                self.targets.append(attrs[name])


def read(path):
    page = Page()
    with open(path, encoding="utf-8") as f:
        page.feed(f.read())
    return page


def main(folder):
    docs = os.path.join(folder, "docs")
    broken = []
    pages = sorted(name for name in os.listdir(docs) if name.endswith(".html"))
    for name in pages:
        source = os.path.join(docs, name)
        for target in read(source).targets:
            link = urllib.parse.urlsplit(target)
            if link.scheme in ("http", "https", "mailto"):
                continue
            path = os.path.normpath(os.path.join(docs, urllib.parse.unquote(link.path))) if link.path else source
            inside = os.path.commonpath([os.path.abspath(folder), os.path.abspath(path)]) == os.path.abspath(folder)
            if not inside or not os.path.isfile(path):
                broken.append("%s: %s: no such file in the package" % (name, target))
            elif link.fragment and path.endswith(".html") and link.fragment not in read(path).ids:
                broken.append("%s: %s: no such place in the page" % (name, target))
    for line in broken:
        print(line, file=sys.stderr)
    print("%d pages, %d broken links" % (len(pages), len(broken)))
    return 1 if broken or not pages else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

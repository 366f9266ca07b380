#!/usr/bin/python3
"""Renders Markdown pages as standalone HTML for the Windows package: one page per document,
with a table of contents from its headings, links between the pages, and no file the page needs
beside it, so that a double click opens it in any browser.

    render_docs.py OUTPUT.html TITLE INPUT.md [MORE.md ...] [--nav PAGE.html=Title ...]

Further inputs are appended to the first, as sections of the same page.
"""
import html
import re
import sys

import markdown

STYLE = """
body { font-family: Segoe UI, Helvetica, Arial, sans-serif; max-width: 60em; margin: 2em auto;
       padding: 0 1em; line-height: 1.45; color: #1b1b1b; }
nav.pages { font-size: 0.95em; border-bottom: 1px solid #ccc; padding-bottom: 0.5em; }
nav.pages a { margin-right: 1.2em; }
section.contents { background: #f5f5f5; border: 1px solid #ddd; padding: 0.5em 1.5em; margin: 1em 0 2em; }
div.toc ul { padding-left: 1.2em; margin: 0.2em 0; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #ccc; padding: 0.25em 0.6em; vertical-align: top; text-align: left; }
th { background: #eee; }
code { font-family: Consolas, monospace; background: #f3f3f3; padding: 0 0.2em; }
pre { background: #f3f3f3; padding: 0.6em; overflow-x: auto; }
pre code { padding: 0; }
img { max-width: 100%; height: auto; }
"""


def render(title, sources, nav):
    text = "\n\n".join(sources)
    md = markdown.Markdown(extensions=["toc", "tables", "fenced_code"],
                           extension_configs={"toc": {"toc_depth": "2-3"}})
    body = md.convert(text)
    # Pages link to one another by their Markdown names; in the package they are .html files.
    body = re.sub(r'href="([A-Za-z0-9_-]+)\.md(#[^"]*)?"', r'href="\1.html\2"', body)
    links = " ".join('<a href="%s">%s</a>' % (html.escape(page), html.escape(name)) for page, name in nav)
    return ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            "<title>%s</title>\n<style>%s</style>\n</head>\n<body>\n"
            "<nav class=\"pages\">%s</nav>\n<section class=\"contents\"><strong>Contents</strong>\n%s</section>\n%s\n"
            "</body>\n</html>\n") % (html.escape(title), STYLE, links, md.toc, body)


def main(argv):
    nav = []
    args = []
    i = 0
    while i < len(argv):
        if argv[i] == "--nav" and i + 1 < len(argv):
            page, _, name = argv[i + 1].partition("=")
            nav.append((page, name))
            i += 2
        else:
            args.append(argv[i])
            i += 1
    if len(args) < 3:
        sys.stderr.write(__doc__)
        return 2
    output, title, inputs = args[0], args[1], args[2:]
    sources = []
    for path in inputs:
        with open(path, encoding="utf-8") as f:
            sources.append(f.read().replace("\r\n", "\n"))
    with open(output, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(render(title, sources, nav))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

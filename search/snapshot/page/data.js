// The snapshot's data, as the writer embeds it in plain-text script elements, which the browser
// never runs. Every text in them is a name as the listing shows it (control characters as "?",
// bytes that are not UTF-8 as U+FFFD) with "<" written as a tab, so that no name can end the
// element that holds it. Numbers are in base 36 where not said otherwise; times are whole seconds.
// Each element's text begins with a line feed and ends each of its lines with one.
//
//   fi-head     JSON: {"created": seconds since 1970 (UTC) in decimal, "columns": [titles]}
//   fi-folders  a line per folder, a parent before its children, the children of a folder in
//               the listing's order: "parent flags files totalFiles totalBytes mtime length name"
//               with parent the index of the parent + 1 (0 for a folder at the top), flags
//               1 searched (its entries are in the snapshot), 2 not readable, 4 sizes not
//               readable, 8 a loop back onto a folder above (not entered again), files the
//               folder's own files, totalFiles and totalBytes (decimal) those with all its
//               subfolders', mtime the difference to "created" or "~" when unknown, length the
//               UTF-16 length of the folder's block in fi-names, and the name (for a folder at
//               the top, its path as searched) as the rest of the line.
//   fi-numbers  a line per folder: for each of its files the size, followed by "+n" or "-n",
//               the difference of its time to that of the file before (the first file: to
//               "created"), which is left out when 0; files separated by " ".
//   fi-names    a line per file, its name, folder after folder.
//   fi-col-N    the texts of the extra file column N (fi-head's columns), laid out as fi-names.

const $ = (id) => document.getElementById(id);

// A text of the data as it is shown.
const shown = (text) => (text.indexOf('\t') < 0 ? text : text.replaceAll('\t', '<'));

const FLAG_SEARCHED = 1;
const FLAG_UNREADABLE = 2;
const FLAG_SIZES_UNREADABLE = 4;
const FLAG_LOOP = 8;

// Base-36 digits of `text` from `start` to `end` as a decimal text, exact at any length.
function exactDecimal(text, start, end) {
    let value = 0n;
    for (let p = start; p < end; p++)
        value = value * 36n + BigInt(parseInt(text[p], 36));
    return value.toString();
}

class Folders {
    constructor(text, created) {
        const lines = text.split('\n').slice(1, -1);
        const n = lines.length;
        this.count = n;
        this.parent = new Int32Array(n);
        this.flags = new Uint8Array(n);
        this.files = new Int32Array(n);
        this.totalFiles = new Float64Array(n);
        this.totalBytes = new Float64Array(n);
        this.totalBytesText = new Array(n);
        this.mtime = new Float64Array(n);
        this.nameStart = new Float64Array(n + 1);
        this.name = new Array(n);
        this.depth = new Int32Array(n);
        this.firstChild = new Int32Array(n).fill(-1);
        this.nextSibling = new Int32Array(n).fill(-1);
        this.fileBase = new Float64Array(n + 1);
        this.tops = [];
        const lastChild = new Int32Array(n).fill(-1);
        let lastTop = -1;
        this.nameStart[0] = 1;
        for (let k = 0; k < n; k++) {
            const f = lines[k].split(' ', 7);
            let rest = 0;
            for (let i = 0; i < 7; i++)
                rest += f[i].length + 1;
            const parent = parseInt(f[0], 36) - 1;
            this.parent[k] = parent;
            this.flags[k] = parseInt(f[1], 36);
            this.files[k] = parseInt(f[2], 36);
            this.totalFiles[k] = parseInt(f[3], 36);
            this.totalBytesText[k] = f[4];
            this.totalBytes[k] = Number(f[4]);
            this.mtime[k] = f[5] === '~' ? NaN : created + parseInt(f[5], 36);
            this.nameStart[k + 1] = this.nameStart[k] + parseInt(f[6], 36);
            this.name[k] = shown(lines[k].slice(rest));
            this.fileBase[k + 1] = this.fileBase[k] + this.files[k];
            if (parent < 0) {
                this.tops.push(k);
                if (lastTop >= 0)
                    this.nextSibling[lastTop] = k;
                lastTop = k;
                continue;
            }
            this.depth[k] = this.depth[parent] + 1;
            if (lastChild[parent] < 0)
                this.firstChild[parent] = k;
            else
                this.nextSibling[lastChild[parent]] = k;
            lastChild[parent] = k;
        }
    }

    children(k) {
        const list = [];
        for (let c = this.firstChild[k]; c >= 0; c = this.nextSibling[c])
            list.push(c);
        return list;
    }

    // The folder's path: a top folder's as it was searched, below it joined with "/".
    path(k) {
        const names = [];
        let top = k;
        for (; this.parent[top] >= 0; top = this.parent[top])
            names.push(this.name[top]);
        const start = this.name[top];
        if (!names.length)
            return start;
        return (start.endsWith('/') ? start : start + '/') + names.reverse().join('/');
    }

    ancestors(k) {
        const list = [];
        for (let a = k; a >= 0; a = this.parent[a])
            list.push(a);
        return list.reverse();
    }

    // The first folder with this path, or -1: a top folder's path, then a name per level.
    find(path) {
        for (const top of this.tops) {
            const start = this.name[top];
            if (path === start)
                return top;
            const prefix = start.endsWith('/') ? start : start + '/';
            if (!path.startsWith(prefix))
                continue;
            let k = top;
            for (const name of path.slice(prefix.length).split('/')) {
                let c = this.firstChild[k];
                while (c >= 0 && this.name[c] !== name)
                    c = this.nextSibling[c];
                k = c;
                if (k < 0)
                    break;
            }
            if (k >= 0)
                return k;
        }
        return -1;
    }

    // The folder that holds file number `file` (counted over all folders).
    folderOfFile(file) {
        return lastAtOrBefore(this.fileBase, file, 0, this.count - 1);
    }
}

// What is missing of folder k: it could not be read, or it leads back onto a folder above.
const gapText = (f, k) => (f.flags[k] & FLAG_LOOP ? 'Dateisystemschleife' : 'nicht lesbar');

// The sizes and times of one folder's files.
function parseNumbers(line, count, created) {
    const size = new Float64Array(count);
    const time = new Float64Array(count);
    let exact = null;
    let file = 0;
    let value = 0;
    let delta = 0;
    let sign = 0;
    let start = 0;
    let last = created;
    const end = line.length;
    for (let p = 0; count > 0 && p <= end; p++) {
        const c = p < end ? line.charCodeAt(p) : 32;
        if (c === 32) {
            last += sign * delta;
            size[file] = value;
            time[file] = last;
            if (!Number.isSafeInteger(value)) {
                exact ??= new Map();
                const digitsEnd = sign === 0 ? p : line.slice(start, p).search(/[+-]/) + start;
                exact.set(file, exactDecimal(line, start, digitsEnd));
            }
            file++;
            value = delta = sign = 0;
            start = p + 1;
        } else if (c === 43 || c === 45) {
            sign = c === 43 ? 1 : -1;
        } else {
            const digit = c <= 57 ? c - 48 : c - 87;
            if (sign === 0)
                value = value * 36 + digit;
            else
                delta = delta * 36 + digit;
        }
    }
    return { size, time, exact };
}

// The lines of one folder's block: where each begins, so that a folder of a million files is
// neither cut into a million texts nor read twice; a line's text is taken when it is drawn.
class TextBlock {
    constructor(text, begin, count) {
        this.text = text;
        this.count = count;
        this.starts = new Float64Array(count + 1);
        let pos = begin;
        for (let i = 0; i < count; i++) {
            this.starts[i] = pos;
            pos = text.indexOf('\n', pos) + 1;
        }
        this.starts[count] = pos;
    }

    at(i) {
        return this.text.slice(this.starts[i], this.starts[i + 1] - 1);
    }
}

// Texts of the files, one a line, folder after folder: the names and the extra columns.
class FileTexts {
    // `starts`: where each folder's block begins, when the writer said; else found on demand.
    constructor(text, folders, starts) {
        this.text = text;
        this.folders = folders;
        this.starts = starts || new Float64Array(folders.count + 1).fill(-1);
        this.known = starts ? folders.count : 0;
        if (!starts)
            this.starts[0] = 1;
    }

    start(k) {
        const text = this.text;
        while (this.known < k) {
            let pos = this.starts[this.known];
            for (let lines = this.folders.files[this.known]; lines > 0; lines--)
                pos = text.indexOf('\n', pos) + 1;
            this.starts[++this.known] = pos;
        }
        return this.starts[k];
    }

    // The texts of folder k's files.
    block(k) {
        return new TextBlock(this.text, this.start(k), this.folders.files[k]);
    }

    // The text of the line that starts at `offset`.
    lineAt(offset) {
        return this.text.slice(offset, this.text.indexOf('\n', offset));
    }
}

class SnapshotData {
    constructor() {
        const head = JSON.parse($('fi-head').textContent);
        this.created = head.created;
        this.columns = head.columns || [];
        this.folders = new Folders($('fi-folders').textContent, this.created);
        this.numberLines = null;
        this.numberCache = new Map();
        this.names = new FileTexts($('fi-names').textContent, this.folders, this.folders.nameStart);
        this.extra = this.columns.map((title, i) => ({
            title,
            element: $('fi-col-' + i),
            texts: null,
            blocks: new Map(),
        }));
    }

    // Sizes and times of folder k's files; the last few folders are kept.
    numbers(k) {
        let entry = this.numberCache.get(k);
        if (entry)
            return entry;
        this.numberLines ??= $('fi-numbers').textContent.split('\n');
        entry = parseNumbers(this.numberLines[k + 1] || '', this.folders.files[k], this.created);
        if (this.numberCache.size >= 64)
            this.numberCache.delete(this.numberCache.keys().next().value);
        this.numberCache.set(k, entry);
        return entry;
    }

    // The texts of extra column `i` for folder k's files; the last few folders are kept.
    column(i, k) {
        const column = this.extra[i];
        column.texts ??= new FileTexts(column.element.textContent, this.folders, null);
        let block = column.blocks.get(k);
        if (!block) {
            if (column.blocks.size >= 64)
                column.blocks.delete(column.blocks.keys().next().value);
            block = column.texts.block(k);
            column.blocks.set(k, block);
        }
        return block;
    }
}

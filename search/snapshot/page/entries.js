// The right side: the chosen folder's subfolders and files, sortable by each column, or the hits
// of a search with their folders.

const FOLDER_COLUMNS = [
    { key: 'name', title: 'Name', width: 'minmax(0, 1fr)' },
    { key: 'size', title: 'Größe (Bytes)', width: '8.5rem', number: true },
    { key: 'time', title: 'Geändert', width: '10.5rem' },
];
const HIT_COLUMNS = [
    { key: 'name', title: 'Name', width: 'minmax(0, 1fr)' },
    { key: 'folder', title: 'Verzeichnis', width: 'minmax(0, 1fr)' },
    { key: 'size', title: 'Größe (Bytes)', width: '8.5rem', number: true },
    { key: 'time', title: 'Geändert', width: '10.5rem' },
];

const byNumber = (a, b) => (a < b ? -1 : a > b ? 1 : 0);

// Positions 0 to count - 1 in their own order, or backwards.
function inOrder(count, direction) {
    const order = new Uint32Array(count);
    for (let i = 0; i < count; i++)
        order[i] = direction > 0 ? i : count - 1 - i;
    return order;
}

// Positions 0 to count - 1 by their keys, ties by position. Whole-number keys whose range times
// the count stays exact are packed with their position into one number and sorted natively: a
// million sizes in a fraction of the time a comparison function takes.
function orderByKeys(keys, direction) {
    const count = keys.length;
    let low = Infinity;
    let high = -Infinity;
    for (let i = 0; i < count; i++) {
        low = Math.min(low, keys[i]);
        high = Math.max(high, keys[i]);
    }
    const order = inOrder(count, 1);
    if (count && Number.isSafeInteger((high - low + 1) * count) && Number.isSafeInteger(low)) {
        const packed = new Float64Array(count);
        for (let i = 0; i < count; i++)
            packed[i] = (direction > 0 ? keys[i] - low : high - keys[i]) * count + i;
        packed.sort();
        for (let i = 0; i < count; i++)
            order[i] = packed[i] % count;
        return order;
    }
    return order.sort((a, b) => direction * byNumber(keys[a], keys[b]) || a - b);
}

class EntryPane {
    constructor(data, { openFolder }) {
        this.data = data;
        this.folders = data.folders;
        this.openFolder = openFolder;
        this.header = $('spalten');
        this.box = $('eintraege');
        this.extra = data.columns.map((title, i) => ({
            key: 'c' + i,
            title,
            width: 'minmax(0, 16rem)',
        }));
        this.sort = { key: 'name', direction: 1 };
        this.folder = -1;
        this.hits = null;
        this.list = new VirtualList(this.box, {
            header: this.header,
            make: () => this.makeRow(),
            draw: (row, i) => (this.hits ? this.drawHit(row, i) : this.drawEntry(row, i)),
            choose: (i, e) => this.hits && e && this.openHit(i),
            open: (i) => (this.hits ? this.openHit(i) : this.openEntry(i)),
            keys: (e) => this.key(e),
        });
        this.setColumns(FOLDER_COLUMNS);
    }

    setColumns(columns) {
        this.columns = columns.concat(this.extra);
        const widths = this.columns.map((c) => c.width).join(' ');
        this.header.style.gridTemplateColumns = widths;
        this.box.style.setProperty('--spalten', widths);
        this.header.replaceChildren(...this.columns.map((c) => this.headerCell(c)));
    }

    headerCell(column) {
        if (this.hits)
            return element('span', column.number ? 'zahl' : '', column.title);
        const button = element('button', column.number ? 'zahl' : '', column.title);
        button.type = 'button';
        if (this.sort.key === column.key)
            button.setAttribute('aria-sort', this.sort.direction > 0 ? 'ascending' : 'descending');
        button.addEventListener('click', () => this.sortBy(column.key));
        return button;
    }

    makeRow() {
        const row = element('div', 'zeile');
        row.setAttribute('role', 'row');
        for (let i = 0; i < 4 + this.extra.length; i++) {
            const cell = element('span');
            cell.setAttribute('role', 'gridcell');
            row.append(cell);
        }
        return row;
    }

    // Folder k's subfolders and files; the cursor on the file `file` (its number in the folder)
    // when given.
    showFolder(k, file = -1) {
        this.hits = null;
        this.folder = k;
        this.subfolders = this.folders.children(k);
        this.names = this.data.names.block(k);
        this.numbers = this.data.numbers(k);
        this.columnTexts = this.extra.map((c, i) => this.data.column(i, k));
        this.setColumns(FOLDER_COLUMNS);
        this.order = this.sorted();
        const row = file < 0 ? 0 : this.order.indexOf(this.subfolders.length + file);
        this.list.reset(this.order.length, row);
    }

    // The rows in the chosen order: subfolders first, then files, each by the sort column.
    sorted() {
        const nSub = this.subfolders.length;
        const nFiles = this.names.count;
        const { key, direction } = this.sort;
        let subs;
        let files;
        if (key === 'name') {
            subs = inOrder(nSub, direction);
            files = inOrder(nFiles, direction);
        } else if (key === 'size' || key === 'time') {
            const f = this.folders;
            const folderKey = key === 'size'
                ? (c) => (f.flags[c] & FLAG_SEARCHED ? f.totalBytes[c] : -1)
                : (c) => (Number.isNaN(f.mtime[c]) ? -Infinity : f.mtime[c]);
            subs = orderByKeys(Float64Array.from(this.subfolders, folderKey), direction);
            files = orderByKeys(key === 'size' ? this.numbers.size : this.numbers.time, direction);
        } else {
            const texts = this.columnTexts[Number(key.slice(1))];
            subs = inOrder(nSub, 1);
            files = inOrder(nFiles, 1).sort((a, b) =>
                direction * byNumber(texts.at(a), texts.at(b)) || a - b);
        }
        const order = new Uint32Array(nSub + nFiles);
        order.set(subs);
        for (let i = 0; i < nFiles; i++)
            order[nSub + i] = nSub + files[i];
        return order;
    }

    sortBy(key) {
        if (this.sort.key === key)
            this.sort.direction = -this.sort.direction;
        else
            this.sort = { key, direction: 1 };
        this.setColumns(FOLDER_COLUMNS);
        this.order = this.sorted();
        this.list.reset(this.order.length, 0);
    }

    fill(row, className, texts) {
        row.className = 'zeile' + className;
        const cells = row.children;
        const classes = this.columns.map((c) =>
            c.number ? 'zahl' : c.key === 'folder' ? 'leise' : '');
        for (let i = 0; i < cells.length; i++) {
            cells[i].hidden = i >= texts.length;
            cells[i].textContent = i < texts.length ? texts[i] : '';
            cells[i].className = i === 0 ? 'name' : classes[i] || '';
        }
        row.title = texts[0];
    }

    drawEntry(row, i) {
        const f = this.folders;
        const r = this.order[i];
        const nSub = this.subfolders.length;
        if (r < nSub) {
            const c = this.subfolders[r];
            const searched = (f.flags[c] & FLAG_SEARCHED) !== 0;
            const unreadable = (f.flags[c] & (FLAG_UNREADABLE | FLAG_LOOP)) !== 0;
            const size = unreadable ? gapText(f, c) : searched ? grouped(f.totalBytesText[c]) : '';
            this.fill(row, ' verzeichnis' + (unreadable ? ' fehlt' : ''),
                [f.name[c], size, timeText(f.mtime[c]), ...this.extra.map(() => '')]);
            return;
        }
        const file = r - nSub;
        this.fill(row, '', [shown(this.names.at(file)), this.sizeText(this.numbers, file),
            timeText(this.numbers.time[file]), ...this.columnTexts.map((t) => shown(t.at(file)))]);
    }

    sizeText(numbers, file) {
        const exact = numbers.exact && numbers.exact.get(file);
        return grouped(exact || String(numbers.size[file]));
    }

    openEntry(i) {
        const r = this.order[i];
        if (r < this.subfolders.length)
            this.openFolder(this.subfolders[r]);
    }

    // Backspace and left step up to the parent folder, right opens a subfolder.
    key(e) {
        if (this.hits)
            return false;
        if (e.key === 'Backspace' || e.key === 'ArrowLeft') {
            const parent = this.folders.parent[this.folder];
            if (parent >= 0)
                this.openFolder(parent, this.folder);
            return true;
        }
        if (e.key === 'ArrowRight' && this.list.cursor >= 0) {
            this.openEntry(this.list.cursor);
            return true;
        }
        return false;
    }

    // The cursor on subfolder c of the folder shown.
    pointAtSubfolder(c) {
        const r = this.subfolders.indexOf(c);
        if (r >= 0)
            this.list.moveTo(this.order.indexOf(r));
    }

    showHits(hits) {
        const fresh = this.hits !== hits;
        this.hits = hits;
        if (fresh) {
            this.setColumns(HIT_COLUMNS);
            this.list.reset(hits.count, 0);
        } else {
            this.list.count = hits.count;
            this.list.render();
        }
    }

    // A hit: a file (its number over all folders) or a folder (-1 - its index).
    drawHit(row, i) {
        const f = this.folders;
        const hit = this.hits.file[i];
        if (hit < 0) {
            const c = -1 - hit;
            const above = f.parent[c] < 0 ? '' : f.path(f.parent[c]);
            const size = f.flags[c] & FLAG_SEARCHED ? grouped(f.totalBytesText[c]) : '';
            this.fill(row, ' verzeichnis', [f.name[c], above, size, timeText(f.mtime[c]),
                ...this.extra.map(() => '')]);
            return;
        }
        const k = f.folderOfFile(hit);
        const file = hit - f.fileBase[k];
        const numbers = this.data.numbers(k);
        const name = shown(this.data.names.lineAt(this.hits.offset[i]));
        const extra = this.extra.map((c, j) => shown(this.data.column(j, k).at(file)));
        this.fill(row, '', [name, f.path(k), this.sizeText(numbers, file),
            timeText(numbers.time[file]), ...extra]);
    }

    openHit(i) {
        const hit = this.hits.file[i];
        if (hit < 0) {
            this.openFolder(-1 - hit);
            return;
        }
        const k = this.folders.folderOfFile(hit);
        this.openFolder(k, -1, hit - this.folders.fileBase[k]);
    }
}

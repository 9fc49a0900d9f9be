// The folder tree on the left: each folder with its files and bytes including its subfolders.
// Only the rows of open folders are laid out, and only those in view are drawn.

class TreeView {
    constructor(data, box, { show, enter }) {
        this.folders = data.folders;
        this.show = show;
        this.enter = enter;
        this.expanded = new Uint8Array(this.folders.count);
        for (const top of this.folders.tops)
            this.expanded[top] = 1;
        this.visible = new Int32Array(0);
        this.list = new VirtualList(box, {
            header: $('baum-spalten'),
            make: () => this.makeRow(),
            draw: (row, i) => this.drawRow(row, this.visible[i]),
            choose: (i, e) => this.chosen(i, e),
            open: (i) => this.enter(this.visible[i]),
            keys: (e, i) => this.key(e, i),
        });
        this.layout();
        this.list.reset(this.visible.length, 0);
    }

    // The rows: every top folder and, below an open folder, its subfolders.
    layout() {
        const f = this.folders;
        const rows = [];
        const stack = f.tops.slice().reverse();
        while (stack.length) {
            const k = stack.pop();
            rows.push(k);
            if (!this.expanded[k])
                continue;
            const children = f.children(k);
            for (let c = children.length - 1; c >= 0; c--)
                stack.push(children[c]);
        }
        this.visible = Int32Array.from(rows);
    }

    makeRow() {
        const row = element('div', 'zeile');
        row.setAttribute('role', 'treeitem');
        const name = element('span', 'baum-name');
        name.append(element('span', 'knopf'), element('span', 'text'));
        row.append(name, element('span', 'zahl'), element('span', 'zahl leise'));
        return row;
    }

    drawRow(row, k) {
        const f = this.folders;
        const [name, files, bytes] = row.children;
        name.style.paddingLeft = 4 + f.depth[k] * 16 + 'px';
        const open = this.expanded[k] === 1;
        name.firstChild.textContent = f.firstChild[k] < 0 ? '' : open ? '▾' : '▸';
        name.lastChild.textContent = f.name[k];
        if (f.firstChild[k] < 0)
            row.removeAttribute('aria-expanded');
        else
            row.setAttribute('aria-expanded', String(open));
        const unreadable = (f.flags[k] & (FLAG_UNREADABLE | FLAG_LOOP)) !== 0;
        row.classList.toggle('fehlt', unreadable);
        if (f.flags[k] & FLAG_SEARCHED) {
            files.textContent = countText(f.totalFiles[k]);
            bytes.textContent = bytesText(f.totalBytes[k]);
            row.title = `${f.path(k)}\n${countText(f.totalFiles[k])} Dateien, ` +
                `${grouped(f.totalBytesText[k])} Bytes` + (unreadable ? '\n' + gapText(f, k) : '');
        } else {
            files.textContent = '';
            bytes.textContent = '';
            row.title = `${f.path(k)}\nnicht durchsucht`;
        }
    }

    chosen(i, e) {
        const k = this.visible[i];
        if (e && e.target.classList.contains('knopf'))
            this.toggle(k);
        else
            this.show(k);
    }

    toggle(k) {
        if (this.folders.firstChild[k] < 0)
            return;
        this.expanded[k] ^= 1;
        this.relayout(k);
    }

    relayout(k) {
        this.layout();
        this.list.count = this.visible.length;
        this.list.cursor = this.visible.indexOf(k);
        this.list.reveal(Math.max(0, this.list.cursor));
    }

    // Marks folder k as the chosen one, opening the folders above it.
    select(k) {
        const f = this.folders;
        let changed = false;
        for (let a = f.parent[k]; a >= 0; a = f.parent[a]) {
            changed ||= !this.expanded[a];
            this.expanded[a] = 1;
        }
        if (changed) {
            this.relayout(k);
        } else {
            this.list.cursor = this.visible.indexOf(k);
            this.list.reveal(Math.max(0, this.list.cursor));
        }
    }

    // Right opens a folder or steps into it, left closes it or steps to its parent.
    key(e, i) {
        const f = this.folders;
        const k = this.visible[i];
        if (i < 0 || (e.key !== 'ArrowRight' && e.key !== 'ArrowLeft'))
            return false;
        if (e.key === 'ArrowRight' && f.firstChild[k] >= 0) {
            if (!this.expanded[k])
                this.toggle(k);
            else
                this.list.moveTo(i + 1);
        } else if (e.key === 'ArrowLeft') {
            if (this.expanded[k] && f.firstChild[k] >= 0)
                this.toggle(k);
            else if (f.parent[k] >= 0)
                this.list.moveTo(this.visible.indexOf(f.parent[k]));
        }
        return true;
    }
}

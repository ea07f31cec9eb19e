#!/usr/bin/env python3
"""Puts small, realistic faults into the sources one at a time and runs the tests after
each: a fault that no test notices marks a gap in the tests. Run from a scratch copy of
the repository (it edits files in place and restores them):

    git worktree add /tmp/mut HEAD && cd /tmp/mut && python3 scripts/mutate.py

With --trimmed, only the faults in code whose tests were folded together; with
--this-turn, only this turn's; --quick runs only the tests of the fault's part. Prints each
fault as CAUGHT or MISSED and the share caught.

Faults chosen by the person who wrote the tests are a biased measure, so there is also a
mechanical mode: with a fixed seed it picks lines of the given files (by default the C++
files that a range of commits touched) and applies operator changes to them, skips the
mutants that do not compile, runs the tests of the file's part, and prints the score and
the mutants that survived:

    python3 scripts/mutate.py --mechanical [--seed 7] [--count 60] [--range A..B] [--quick] [FILE...]

In the mechanical mode every test program runs after each fault; --quick runs only those of
the fault's part, which is faster but misses what other parts' tests catch.
"""
import os, random, re, signal, subprocess, sys

# (file, text as it stands, text with the fault, what the fault is)
FAULTS = [
    ("src/data/Database.cpp", 'db.execRaw("BEGIN");', 'db.execRaw("SAVEPOINT x");', "outer transaction as savepoint"),
    ("src/data/Database.cpp", "    if (m_db && m_savepointDepth > 0 && sqlite3_get_autocommit(m_db))\n        m_transactionLost = true;", "", "engine rollback unnoticed"),
    ("src/data/Recordset.cpp", "        size_t base = m_pos * size_t(m_stride) + 1;", "        size_t base = m_pos * size_t(m_stride) + 2;", "walk copy out of step"),
    ("src/data/SqlFunctions.cpp", "out.push_back(c == U'ё' ? U'е' : c);", "out.push_back(c);", "ё not read as е"),
    ("src/data/SqlFunctions.cpp", "c.setCaseSensitivity(Qt::CaseInsensitive);", "c.setCaseSensitivity(Qt::CaseSensitive);", "case-sensitive order"),
    ("src/data/Schema.cpp", "    if (version == currentVersion && !db.hasTable(QStringLiteral(\"Menu\")))", "    if (version == currentVersion)", "menu made twice"),
    ("src/data/Schema.cpp", "CHECK (length(Recipe) <= 65535)", "CHECK (length(Recipe) <= 65536)", "method limit off by one"),
    ("src/data/Schema.cpp", "Name TEXT NOT NULL DEFAULT '' CHECK (length(Name) <= 255));\nCREATE TABLE Units", "Name TEXT NOT NULL DEFAULT '');\nCREATE TABLE Units", "product name unlimited"),
    ("src/kitchen/KitchenStore.cpp", '        db.exec("UPDATE Ingredients SET Have=1 WHERE Ingredient=? AND Have<>1", {qint64(p.id)});', "", "adding does not mark lines"),
    ("src/kitchen/KitchenStore.cpp", "        if (!listed(db, other(which), id))", "        if (true)", "removal ignores the other list"),
    ("src/kitchen/KitchenStore.cpp", "        if (listed(db, which, p.id))\n            continue;", "", "added twice"),
    ("src/kitchen/KitchenStore.cpp", "        if (lines.int64(2) != 0 || t->count >= limit)", "        if (lines.int64(2) == 0 || t->count >= limit)", "what to cook inverted"),
    ("src/kitchen/KitchenStore.cpp", 'SqlText("SELECT ID, Name FROM Recipes ORDER BY ID")', 'SqlText("SELECT ID, Name FROM Recipes ORDER BY ID DESC")', "same names in reverse ID order"),
    ("src/kitchen/KitchenStore.cpp", "    const qint64 step = std::max<qint64>(1, total / 50);", "    const qint64 step = std::max<qint64>(1, total);", "progress set once"),
    ("src/kitchen/MenuProducts.cpp", "            const float addend = float(double(dish.servings) * double(quantity));", "            const float addend = float(quantity);", "servings ignored"),
    ("src/kitchen/MenuProducts.cpp", '            line += total.amounts.size() > 1 ? QStringLiteral(" более чем") : QStringLiteral(" ~");', '            line += QStringLiteral(" ~");', "no 'более чем'"),
    ("src/kitchen/MenuProducts.cpp", '            line += QStringLiteral(" +");', '            line += QStringLiteral(" ");', "no plus between units"),
    ("src/kitchen/KitchenParts.h", "        std::less<QByteArray>());", "        [](const QByteArray& a, const QByteArray& b) { return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end()); });", "signed byte order"),
    ("src/kitchen/KitchenStore.cpp", '    db.exec("DELETE FROM Menu WHERE Recipe NOT IN (SELECT ID FROM Recipes)");', "", "orphans kept"),
    ("src/kitchen/KitchenStore.cpp", "    if (n < 1 || n > kMaxServings)", "    if (n < 0 || n > kMaxServings)", "zero servings accepted"),
    ("src/kitchen/MenuProducts.cpp", 'QStringLiteral("%1 (%2)").arg(dish.name, QString::number(dish.servings))', 'QStringLiteral("%1(%2)").arg(dish.name, QString::number(dish.servings))', "dish line format"),
    ("src/kitchen/KitchenDialogs.cpp", "    m_list->setColumnWidth(0, std::max(0, client - kServingsColumnWidth));", "    m_list->setColumnWidth(0, client);", "column width"),
    ("src/kitchen/KitchenDialogs.cpp", '    if (!Prompts::ask(this, QStringLiteral("Очистить меню?")))\n        return;', "", "clear without asking"),
    ("src/kitchen/KitchenCommands.cpp", '            Prompts::error(m_window, QStringLiteral("Не выбран рецепт"));', '            Prompts::error(m_window, QStringLiteral("Не выделен рецепт"));', "wrong pane message"),
    ("src/kitchen/KitchenCommands.cpp", "    results.setResults(std::move(rows));", "    for (const auto& r : rows)\n        results.appendResult(r.first, r.second);", "results not cleared"),
    ("src/exchange/ExchangeFormat.cpp", "        m_bytes += \"\\r\\n\";\n        from = lf + 1;", "        m_bytes += \"\\n\";\n        from = lf + 1;", "LF not written as CR LF"),
    ("src/exchange/ExchangeFormat.cpp", "    return firstLine == kHeader || firstLine == kOtherHeader;", "    return firstLine.trimmed() == kHeader || firstLine == kOtherHeader;", "header trimmed"),
    ("src/exchange/ExchangeFormat.cpp", "    if (hasLf && len > 0 && m_bytes[lf - 1] == '\\r')\n        --len;", "", "CR kept"),
    ("src/exchange/ExchangeFormat.cpp", "    if (i < n && text[i] == '.') {", "    if (i < n && (text[i] == '.' || text[i] == ',')) {", "comma as point"),
    ("src/exchange/ExchangeFormat.cpp", "    if (storedTrimmedLength(storedName) != key.length)\n        return false;", "", "length not compared"),
    ("src/exchange/ExchangeFormat.cpp", "        if (a[i] == '.')\n            continue;", "", "point not a wildcard"),
    ("src/exchange/ExchangeFormat.cpp", "    m_utf8 = hasNonAscii(bytes) && QByteArrayView(bytes).isValidUtf8();", "    m_utf8 = false;", "never UTF-8"),
    ("src/exchange/ExchangeFormat.cpp", "                if (part.endsWith(QLatin1Char('\\r')))\n                    part.chop(1);", "", "description CR kept"),
    ("src/exchange/ExchangeFormat.cpp", "        if (!m_sections.empty() && text.contains(QLatin1String(\"~CATALOG\"))) {", "        if (!m_sections.empty() && text.startsWith(QLatin1String(\"~CATALOG\"))) {", "end marker at start only"),
    ("src/exchange/ExchangeStore.cpp", "        m_addLine.bind(5, qint64(m_available.count(product) ? 1 : 0));", "        m_addLine.bind(5, qint64(0));", "imported lines never available"),
    ("src/exchange/ExchangeStore.cpp", "        if (auto it = names.chosen.find(name); it != names.chosen.end())\n            return it->second;", "", "no name cache"),
    ("src/exchange/ExchangeFormat.cpp", "    sink.reached(lines.lineNumber(), end);\n", "", "line numbers not reported"),
    ("src/exchange/ExchangeStore.cpp", "        emptyWorkTables(db);\n        ImportResult result", "        ImportResult result", "work tables kept"),
    ("src/exchange/ExchangeExport.cpp", "            recipesOf(top.id, true);\n            m_out.line(QStringLiteral(\"~CATALOG\"));", "            m_out.line(QStringLiteral(\"~CATALOG\"));\n            recipesOf(top.id, true);", "recipes after end"),
    ("src/exchange/ExchangeExport.cpp", "        ex.rootSections();\n        ex.recipesOf(0, false);", "        ex.recipesOf(0, false);\n        ex.rootSections();", "root recipes first"),
    ("src/exchange/ExchangeExport.cpp", "nameOf(m_units, m_unitName, l.unit, LinePlace::Unit)", "nameOf(m_units, m_unitName, l.product, LinePlace::Unit)", "unit takes product's number"),
    ("src/exchange/ExchangeCommands.cpp", "    m_tree.sortChildrenOf(nullptr);", "", "top level not sorted"),
    ("src/exchange/ExchangeCommands.cpp", "    if (!item || catalog::isRecipeValue(value)) {", "    if (!item) {", "recipe exported as section"),
    ("src/reference/CDictionaryWork.cpp", "    m_delete->setEnabled(selected && m_usageEmpty);", "    m_delete->setEnabled(selected);", "used entry deletable"),
    ("src/reference/CDictionaryWork.cpp", "    m_entries->setCurrentItem(item);\n    m_entries->scrollToItem(item);\n    if (m_namesChanged)", "    m_entries->scrollToItem(item);\n    if (m_namesChanged)", "renamed not selected"),
    ("src/reference/CDictionaryWork.cpp", "    if (m_recipeChanged)\n        m_recipeChanged(recipe);", "", "tree not told of rename"),
    ("src/reference/ReferenceStore.cpp", 'SELECT ID, Name FROM UnitUse WHERE Unit=? ORDER BY Seq', 'SELECT DISTINCT ID, Name FROM UnitUse WHERE Unit=?', "uses listed once"),
    ("src/app/CMainFrame.cpp", "    m_found->renameRecipe(recipeId, recipe->name);", "", "results keep old name"),
    ("src/app/CMainFrame.cpp", "        m_found->removeRecipe(recipeId);", "", "results keep deleted"),
    ("src/app/CMainFrame.cpp", "        if (resize->size().width() != resize->oldSize().width())", "        if (true)", "drag lost on bar change"),
    ("src/app/CMainFrame.cpp", "            next->setFocus(Qt::ShortcutFocusReason);", "            pane((index + 1) % 3)->setFocus(Qt::ShortcutFocusReason);", "backward pane goes forward"),
    ("src/app/OveltaApplication.cpp", "        installTranslator(m_qtTranslator);", "        ;", "no Russian Qt texts"),
    ("src/ui/DialogPlacement.cpp", "                dialog->move(centredOver(owner, dialog->frameGeometry().size()));", "                (void)owner;", "dialogs not placed"),
    ("src/ui/CProgress.cpp", "    if (value == m_high)\n        v = m_bar->maximum();", "", "bar not full at end"),
    ("src/ui/CProgress.cpp", "    return {ownerTopLeft.x() + (clientWidth - own.width()) / 2,", "    return {ownerTopLeft.x() + std::max(0, clientWidth - own.width()) / 2,", "no negative offset"),
    ("src/recipes/CRecipeForm.cpp", "    if (m_mode != Delete && name.isEmpty()) {", "    if (name.isEmpty()) {", "unnamed recipe undeletable"),
    ("src/recipes/CRecipeForm.cpp", "    m_lines->clearSelection();\n    m_lines->setCurrentItem(nullptr);", "    if (m_lines->count() > 0)\n        m_lines->setCurrentRow(m_lines->count() - 1);", "a line chosen after deletion"),
    ("src/recipes/CRecipeForm.cpp", "    if (text.size() > kMaxTextLength) {", "    if (text.size() >= kMaxTextLength) {", "method limit off by one in editor"),
    ("src/recipes/IngredientDialogs.cpp", "            recipes::changeLine(m_db, m_line, m_product, m_amount, m_unit, m_productAtOpening);", "            recipes::changeLine(m_db, m_line, m_product, m_amount, m_unit, m_product);", "wrong product at opening"),
    ("src/recipes/RecipeStore.cpp", "    Transaction tx(db);\n    rs->remove();", "    Transaction tx(db);\n    tx.commit();\n    rs->remove();", "product deletion not atomic"),
    ("src/recipes/RtfText.cpp", "        if (isAsciiLetter(c) || isDigit(c) || c == '-' || c == ' ')", "        if (isAsciiLetter(c) || c == '-' || c == ' ')", "digit not delimited"),
    ("src/catalog/CCatalogView.cpp", "        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);", "        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);", "scrolls the wrong way"),
    ("src/search/SearchStore.cpp", '    rs.setSort("Name COLLATE RU");', "", "results unsorted"),
    ("tools/ovelta-db.cpp", "    if (!ok || id <= 0)\n        return usageError(\n            QStringLiteral(\"неверный номер рецепта", "    if (!ok || id < 0)\n        return usageError(\n            QStringLiteral(\"неверный номер рецепта", "recipe 0 accepted"),
    ("tools/ovelta-db.cpp", "        db.close();\n        QFile::remove(file);\n", "        db.close();\n", "half-made file left"),
    ("tools/ovelta-db.cpp", '            print(stderr, QStringLiteral("Не знаю, что можно приготовить из ваших продуктов\\n"));\n            return 0;', '            return 0;', "cook silent"),
    # Faults in what this turn added or changed.
    ("src/kitchen/KitchenStore.cpp", "        if (std::find(t->missing.begin(), end, product) == end)\n            t->missing[t->count++] = product;", "        t->missing[t->count++] = product;\n        (void)end;", "a product missing twice counted twice"),
    ("src/kitchen/KitchenStore.cpp", "dish.missing.join(QStringLiteral(\", \"))", "dish.missing.join(QStringLiteral(\",\"))", "missing products run together"),
    ("src/kitchen/ShoppingList.cpp", "    db.exec(\"UPDATE ShoppingList SET Cleared=1, Added=0, Bought=0 WHERE Bought=1\");\n", "", "bought menu rows never cleared"),
    ("src/kitchen/KitchenStore.cpp", "\"DELETE FROM ShoppingList WHERE Added=0 AND Cleared=1\"", "\"DELETE FROM ShoppingList WHERE Added=0 AND Cleared=1 AND 0\"", "cleared rows stay away after the menu changes"),
    ("src/kitchen/ShoppingList.cpp", "    addProducts(db, List::OnHand, bought);", "    addProducts(db, List::Always, bought);", "bought goes to the wrong list"),
    ("src/data/Schema.cpp", "CREATE TRIGGER RecipeTextProductRenamed AFTER UPDATE OF Name ON Ingredient BEGIN\n    INSERT OR IGNORE INTO RecipeTextDirty SELECT Recipe FROM Ingredients WHERE Ingredient = NEW.ID;\nEND;\n", "", "product rename leaves the index stale"),
    ("src/search/TextIndex.cpp", "        drop.reset();\n        drop.bind(1, id);\n        drop.run();\n", "", "old text kept in the index"),
    ("src/search/TextIndex.cpp", "        phrases.last() += QLatin1Char('*');", "        ;", "unfinished word not matched as a beginning"),
    ("src/data/SqlFunctions.cpp", "    out.replace(QChar(0x0451), QChar(0x0435)); // ё -> е", "", "ё not е when typed"),
    ("src/recipes/RtfText.cpp", "        if (digits < 3)", "        if (false)", "two exponent digits"),
    ("src/exchange/ExchangeFormat.cpp", "                m_ingredient->unit = unit.isEmpty() ? 0 : m_sink.unit(unit);", "                m_ingredient->unit = m_sink.unit(unit);", "empty UNIT= makes a unit"),
    ("src/exchange/ExchangeFormat.cpp", "        return !has(\"CATALOG=\") && !has(\"~CATALOG\");", "        return !has(\"CATALOG=\");", "section end in a name not counted"),
    ("src/exchange/ExchangeStore.cpp", "    case SQLITE_BUSY:\n    case SQLITE_LOCKED:\n    case SQLITE_NOMEM:", "    case SQLITE_LOCKED:\n    case SQLITE_NOMEM:", "busy database blamed on a line"),
    ("src/intake/IntakeStore.cpp", "            if (usual)\n                *usual = true;\n", "", "usual product not shown to check"),
    ("src/intake/RecipeJson.cpp", "        if (!name.isEmpty())\n            method << name;\n", "", "section names dropped"),
    ("src/search/CSearchBox.cpp", "            m_field->clear();\n", "", "Escape keeps the text"),
    ("src/catalog/CCatalogView.cpp", "return run(recipe ? ID_DELETE_RECIPE : ID_DELETE_SECTION);", "return run(recipe ? ID_DELETE_SECTION : ID_DELETE_RECIPE);", "Delete takes the wrong command"),
    ("src/app/CMainFrame.cpp", "    settings.setValue(QStringLiteral(\"window/panes\"), m_splitter->saveState());\n", "", "pane widths forgotten"),
    ("src/recipes/RecipeStore.cpp", "    typed.replace(QLatin1Char(','), QLatin1Char('.'));\n", "", "comma amount refused"),
]

# Faults in the code whose tests were folded together or trimmed: the trimming must keep
# catching them.  Run them alone with --trimmed.
TRIMMED = [
    ("src/kitchen/KitchenCommands.cpp", "        if (m_view.CurrentRecipeId() == 0) {", "        if (false) {", "empty recipe pane not refused"),
    ("src/kitchen/KitchenCommands.cpp", "CRecipeQuantity dialog(rs.Name, kitchen::menuServings(m_db, recipe).value_or(1), parent);", "CRecipeQuantity dialog(rs.Name, 1, parent);", "servings on the menu not offered"),
    ("src/kitchen/KitchenDialogs.cpp", "    qDeleteAll(selected);\n", "", "removed products stay listed"),
    ("src/kitchen/KitchenDialogs.cpp", "    item->setText(1, QString::number(dialog.servings()));\n", "", "menu shows the old servings"),
    ("src/kitchen/KitchenDialogs.cpp", "    kitchen::removeDish(m_db, recipe);\n", "", "dish removed only from the window"),
    ("src/kitchen/KitchenDialogs.cpp", "kitchen::whatIsMissing(m_db, m_max->value(), progress)", "kitchen::whatIsMissing(m_db, kitchen::kMaxMissing, progress)", "missing limit ignored"),
    ("src/kitchen/KitchenDialogs.cpp", "item->checkState() == Qt::Checked);", "true);", "unticking marks bought"),
    ("src/kitchen/KitchenDialogs.cpp", "    kitchen::addToShoppingList(m_db, dish->missingIds);\n", "", "missing products not put on the list"),
    ("src/search/SearchCommands.cpp", "query) {\n    m_results.clearResults();", "query) {", "old results stay when nothing is found"),
    ("src/search/SearchCommands.cpp", "        m_tree.expandSection(section);\n        level = section;", "        level = section;", "locate leaves the chain closed"),
    ("src/search/CFoundListView.cpp", "        selectRow(under.row());", "        (void)under;", "right-click does not select"),
    ("src/search/CFoundListView.cpp", "i >= 0; --i)", "i > 0; --i)", "first result never removed"),
    ("src/recipes/CRecipeForm.cpp", "    item->setText(recipes::lineText(form.productName(), form.amount(), form.unitName()));\n", "", "changed line shows the old text"),
    ("src/recipes/CRecipeForm.cpp", "    m_changed = true;\n    appendEntry(", "    appendEntry(", "added line not a change"),
    ("src/catalog/CatalogCommands.cpp", "QTreeWidgetItem* parent = selected ? selected->parent() : nullptr;", "QTreeWidgetItem* parent = nullptr;", "new section always at the top"),
    ("src/catalog/CatalogCommands.cpp", "    if (form.moveContents()) {", "    if (false) {", "moved contents vanish from the tree"),
    ("src/data/Recordset.cpp", "        ++m_pos;\n    while (m_pos < m_rows && m_deleted[m_pos])\n        ++m_pos;", "        ++m_pos;", "walk lands on deleted rows"),
    ("src/data/Recordset.cpp", "    while (pos > 0 && m_deleted[pos - 1])\n        --pos;\n", "", "last row may be a deleted one"),
    ("tools/ovelta-db.cpp", "if (!ok || maxMissing < 1 || maxMissing > kitchen::kMaxMissing)", "if (!ok || maxMissing > kitchen::kMaxMissing)", "--missing 0 accepted"),
    ("src/exchange/ExchangeStore.cpp", "                emptyWorkTables(db);\n        } catch (const DbError&) {", "                ;\n        } catch (const DbError&) {", "a failed import's work rows kept"),
    ("src/app/CMainFrame.cpp", "    statusBar()->setVisible(statusShown);\n", "", "status bar shown though hidden when last closed"),
]

# Faults in this turn's code, and the faults a planted run let through last turn, as the
# code now stands. Run them alone with --this-turn (each with its own part's tests: --quick).
THIS_TURN = [
    ("src/intake/IngredientLine.cpp", "        if (text[before].isDigit() && m.capturedEnd() < text.size() &&\n            text[m.capturedEnd()].isDigit())\n            continue;\n", "", "a range's dash read as a separator"),
    ("src/intake/IngredientLine.cpp", "        if (q.length > 0)\n            return Tail{m.capturedStart(), q, after.mid(q.length).trimmed()};\n    }", "        if (q.length > 0)\n            return Tail{m.capturedStart(), q, after.mid(q.length).trimmed()};\n        break;\n    }", "stop at the first separator"),
    ("src/intake/IngredientLine.cpp", "        text.replace(thousands, QStringLiteral(\"\\\\1\\\\2\"));", "        ;", "thousands apart read as two numbers"),
    ("src/intake/IngredientLine.cpp", "            if (quantity.length == 0)\n                quantity = q;", "            quantity = q;", "an amount in brackets wins over the one outside"),
    ("src/intake/IngredientLine.cpp", "        if (kind.match(b).hasMatch() && !isPreparation(b)) {", "        if (false) {", "a bracketed kind left out of the name"),
    ("src/intake/IngredientLine.cpp", "    if (quantity.hasAmount && quantity.unit.isEmpty() && quantity.amount > 0)\n        quantity.unit = QStringLiteral(\"шт\");", "", "a count not in pieces"),
    ("src/intake/IngredientLine.cpp", "parts.first().toDouble() : 0) + num / den;", "parts.first().toDouble() : 0) + num * den;", "fraction multiplied"),
    ("src/intake/IngredientLine.cpp", "    return (parts.size() > 1 ? parts.first().toDouble() : 0) + num / den;", "    return num / den;", "a whole before a fraction dropped"),
    ("src/intake/IngredientLine.cpp", "        if (!q.hasAmount && i >= 2 && (text[i - 2].isDigit() || text[i - 2] == QLatin1Char('/')))\n            return std::nullopt;", "", "a unit after a broken number read as one"),
    ("src/intake/IngredientLine.cpp", "several && !isPreparation(part) && part.count", "several && part.count", "a note after a comma read as a product"),
    ("src/intake/WordForms.cpp", "    static const QRegularExpression word(QStringLiteral(\"[\\\\p{L}\\\\p{N}]+\"));\n    QStringList keys;", "    static const QRegularExpression word(QStringLiteral(\"\\\\p{L}+\"));\n    QStringList keys;", "digits dropped from word stems"),
    ("src/intake/WordForms.cpp", "        const bool genitive = !listed && !lemma.isEmpty() && lower.startsWith(lemma) &&", "        const bool genitive = !lemma.isEmpty() &&", "a dictionary word written first made another"),
    ("src/intake/WordForms.cpp", "        if (agreeing && isDescriptive(w.lemma)) {", "        if (false) {", "size words kept in new names"),
    ("src/intake/WordForms.cpp", "        out << nounForm << before << after << rest;\n    } else if", "        out << before << nounForm << after << rest;\n    } else if", "adjective first in new names"),
    ("src/intake/WordForms.cpp", "            if (a.lemma == withVowel && a.flag.isEmpty()) {", "            if (false) {", "dropped vowel not restored"),
    ("src/intake/WordForms.cpp", "        return stem + (soft ? QStringLiteral(\"яя\") : QStringLiteral(\"ая\"));", "        return lemma;", "feminine not agreed"),
    ("src/intake/IntakeStore.cpp", "stemKeys(name).join(QLatin1Char(' ')), name);", "name, name);", "new names compared unfolded"),
    ("src/intake/IntakeStore.cpp", "    const int recipe = recipes::insertRecipe(", "    const int recipe = recipes::createRecipe(", "stray pending lines joined"),
    ("src/intake/IntakeStore.cpp", "    if (text.size() > kMaxMethod)", "    if (text.size() > kMaxMethod + 1)", "method limit off by one in intake"),
    ("src/intake/IntakeStore.cpp", "            if (usual)\n                *usual = true;\n", "", "usual product not shown to check"),
    ("src/intake/RecipeReader.cpp", "    if (!QByteArrayView(utf8).isValidUtf8())", "    if (false)", "code page 1251 read as UTF-8"),
    ("src/intake/RecipeReader.cpp", "        return t == QLatin1String(\"Recipe\") || t.endsWith(QLatin1String(\"/Recipe\")) ||", "        return t == QLatin1String(\"Recipe\") ||", "a full type address refused"),
    ("src/intake/RecipeReader.cpp", "    if (out.contains(QLatin1Char('&')) && out != text)\n        out = plainText(out);", "", "entities decoded once"),
    ("src/intake/RecipeReader.cpp", "    if (!anyIngredient)", "    if (false)", "a README read as a recipe"),
    ("src/intake/RecipeReader.cpp", "                        head.startsWith(\"<!--\") || head.startsWith(\"<head\") ||", "                        head.startsWith(\"<head\") ||", "a page starting with a comment not read"),
    ("src/intake/CIntakeDlg.cpp", "        mark(unit, m.unitId == 0 && !unit->text().trimmed().isEmpty(),", "        mark(unit, m.unitId == 0,", "a line with no unit shown as a new unit"),
    ("src/intake/CIntakeDlg.cpp", "        const bool newProduct = m.productId == 0 && !product->text().trimmed().isEmpty();", "        const bool newProduct = false;", "new products not marked"),
    ("src/catalog/CCatalogView.cpp", "    if (QTreeWidgetItem* read = findChild(section, catalog::recipeValue(recipe))) {", "    if (QTreeWidgetItem* read = nullptr) {", "an imported recipe listed twice"),
    ("src/search/SearchStore.cpp", "        return c != 0 ? c < 0 : a.id < b.id;", "        return c != 0 ? c < 0 : a.id > b.id;", "a wrong tie-break in the name list"),
    ("src/search/SearchStore.cpp", "            remembered.assign(m_readInTransaction.begin(), m_readInTransaction.end());\n", "", "a rolled-back rename stays in the names"),
    ("src/search/CSearchBox.cpp", "        if (!m_field->text().trimmed().isEmpty())\n            emit searchRequested(m_field->text(), on);", "", "the toggle does not re-run the search"),
    ("src/search/CSearchBox.cpp", "        if (!m_field->text().trimmed().isEmpty())\n            emit", "        emit", "the toggle empties other results"),
    ("src/search/SearchCommands.cpp", "    if (text.trimmed().isEmpty()) {", "    if (text.isEmpty()) {", "a typed space lists every name"),
    ("src/search/CFoundListView.cpp", "        if (it->second)\n            kept.emplace_back", "        if (true)\n            kept.emplace_back", "a deleted section's recipes stay listed"),
    ("src/data/Schema.cpp", "CREATE TRIGGER RecipeTextLineChanged AFTER UPDATE OF Recipe, Ingredient ON Ingredients BEGIN", "CREATE TRIGGER RecipeTextLineChanged AFTER UPDATE OF Recipe ON Ingredients BEGIN", "a line's new product missed by the text index"),
    ("src/data/Schema.cpp", "CREATE TRIGGER IF NOT EXISTS RecipeTextProductDeleted AFTER DELETE ON Ingredient BEGIN", "CREATE TRIGGER IF NOT EXISTS RecipeTextProductDeleted AFTER DELETE ON Units BEGIN", "a deleted product stays in the text index"),
    ("src/kitchen/KitchenStore.cpp", "        const bool current = row != rows.end() && row->second.need == line.text;", "        const bool current = row != rows.end();", "a mark outlives its need"),
    ("src/kitchen/KitchenStore.cpp", "        if (row.added && !row.cleared && !shown.count(product) && !available.count(product))", "        if (row.added && !row.cleared && !shown.count(product))", "a hand-added product at hand stays listed"),
    ("src/kitchen/KitchenStore.cpp", "    db.exec(\"UPDATE ShoppingList SET Cleared=1, Added=0, Bought=0 WHERE Bought=1\");", "    db.exec(\"UPDATE ShoppingList SET Cleared=1, Added=0, Bought=0 WHERE Added=1\");", "clearing by the wrong column"),
    ("src/kitchen/KitchenStore.cpp", "\"ON CONFLICT (Product) DO UPDATE SET Added=1, Cleared=0\"", "\"ON CONFLICT (Product) DO UPDATE SET Added=1\"", "a cleared product added again stays hidden"),
    ("src/kitchen/KitchenStore.cpp", "            return a.first->key.compare(b.first->key) < 0;", "            return a.second < b.second;", "missing products not in Russian order"),
    ("src/kitchen/KitchenDialogs.cpp", "    setProperty(\"placesItself\", true);", "", "the missing list over the recipe pane"),
    ("src/kitchen/KitchenDialogs.cpp", "    m_list->setWordWrap(true);", "    m_list->setWordWrap(false);", "missing lines cut"),
    ("src/kitchen/KitchenCommands.cpp", "CRecipeQuantity dialog(rs.Name, kitchen::menuServings(m_db, recipe).value_or(1), parent);", "CRecipeQuantity dialog(rs.Name, kitchen::menuServings(m_db, recipe).value_or(0), parent);", "servings start at 0"),
    ("src/kitchen/KitchenCommands.cpp", "    if (kitchen::listProducts(m_db, kitchen::List::OnHand).empty()) {", "    if (false) {", "nothing at hand gives no way on"),
    ("src/recipes/IngredientDialogs.cpp", "        if (shown == 1 && only) {", "        if (false) {", "a picker of one row refuses Enter"),
    ("src/recipes/IngredientDialogs.cpp", "    productButton->setFocusPolicy(Qt::ClickFocus);", "", "Tab stops on the picker button"),
    ("src/recipes/CRecipeForm.cpp", "        new QShortcut(keys, this, this, &CRecipeForm::confirm);", "        (void)keys;", "Ctrl+Enter does not save"),
    ("src/ui/NameCompleter.cpp", "        popup()->hide();", "        ;", "an empty completer popup stays open"),
    ("src/ui/NameCompleter.cpp", "    connect(this, qOverload<const QString&>(&QCompleter::activated), edit, &QLineEdit::setText);", "", "a chosen suggestion leaves the field"),
    ("src/ui/DialogPlacement.cpp", "            opener->setFocus(Qt::OtherFocusReason);", "            ;", "the keyboard not given back after a dialog"),
    ("src/app/CMainFrame.cpp", "        m_actions[ID_VIEW_TOOLBAR]->setChecked(!m_toolBar->isHidden());\n    }", "    }", "a hidden toolbar ticked after a restart"),
    ("src/app/CMainFrame.cpp", "        m_toolBar->show();\n", "", "keys typed into a hidden search box"),
    ("src/app/OveltaApplication.cpp", "    setOrganizationName(QStringLiteral(\"Ovelta\"));", "", "settings under Unknown Organization"),
    ("src/exchange/ExchangeStore.cpp", "readsBack(inSection ? LinePlace::RecipeInSection : LinePlace::RecipeAtRoot, name)", "readsBack(inSection ? LinePlace::RecipeAtRoot : LinePlace::RecipeInSection, name)", "root and section checks swapped"),
    ("src/exchange/ExchangeStore.cpp", "            if (!stack.empty() && !readsBack(LinePlace::Subsection, name) &&", "            if (false &&", "a subsection named with a key text not warned of"),
    ("src/exchange/ExchangeStore.cpp", "            while (lineReady && m_lines.int64(0) <= id) {", "            while (lineReady && m_lines.int64(0) < id) {", "a recipe's lines not taken"),
    ("src/catalog/CatalogStore.cpp", "            sub.Parent = parent;", "            sub.Parent = 0;", "moved-up subsections go to the root"),
    ("tools/ovelta-db.cpp", "            found = search::findByNameAsTyped(db, c.arg(0));", "            found = search::findByName(db, c.arg(0));", "find % lists every recipe"),
    ("tools/ovelta-db.cpp", "if (!ok || maxMissing < 1 || maxMissing > kitchen::kMaxMissing)", "if (!ok || maxMissing < 1 || maxMissing >= kitchen::kMaxMissing)", "cook --missing 3 refused"),
]

def run(cmd, timeout=None):
    # Its own process group, so that a hung test program goes with the shell that ran it:
    # left running, it held a core for the rest of the run.
    p = subprocess.Popen(cmd, shell=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                         start_new_session=True)
    try:
        return p.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        p.wait()
        return 124  # a hang is a failure the tests noticed

# --- the mechanical mode --------------------------------------------------------------

# (name, pattern, replacement): each applies to one occurrence on a line.
OPERATORS = [
    ("== to !=", r"==", "!="),
    ("!= to ==", r"!=", "=="),
    ("< to <=", r"(?<=[\w)\]]) < (?=[\w(])", " <= "),
    ("<= to <", r" <= ", " < "),
    ("> to >=", r"(?<=[\w)\]]) > (?=[\w(])", " >= "),
    (">= to >", r" >= ", " > "),
    ("&& to ||", r"&&", "||"),
    ("|| to &&", r"\|\|", "&&"),
    ("+ 1 dropped", r" \+ 1\b", ""),
    ("- 1 dropped", r" - 1\b", ""),
    ("+ 1 added", r"(?<=\w)\)(?=;)", " + 1)"),
    ("condition negated", r"\bif \((.*)\) \{$", r"if (!(\1)) {"),
    ("condition negated", r"\bif \((.*)\)$", r"if (!(\1))"),
    ("return value removed", r"\breturn [^;]+;", "return {};"),
    ("statement removed", r"^(\s*)[\w:.>-]+(?:\([^;]*\))?(?:\s*[-+*/]?=\s*[^;]+)?;\s*$", r"\1;"),
    ("string emptied", r'QStringLiteral\("[^"\\]+"\)', 'QStringLiteral("")'),
    ("SQL ASC to DESC", r"(?<=ORDER BY )(\w+(?:\.\w+)?)(?! DESC)", r"\1 DESC"),
    ("SQL AND to OR", r"(?<=[\w')]) AND (?=[\w(])", " OR "),
    ("SQL MIN to MAX", r"\bmin\(", "max("),
    ("SQL column swapped", r"SELECT (\w+), (\w+)", r"SELECT \2, \1"),
]

# Which test program holds the tests of a part of the source.
def tests_for(path):
    part = path.split("/")[1] if path.startswith("src/") else "tools"
    # The schema's text-index triggers are tested through search, the results list's
    # following of deletes through the section commands.
    known = {"data": ["test_data", "test_search"], "recipes": ["test_recipes"],
             "search": ["test_search", "test_catalog"],
             "catalog": ["test_catalog"], "kitchen": ["test_kitchen"],
             "exchange": ["test_exchange"], "reference": ["test_reference"],
             "intake": ["test_intake"], "app": ["test_app"], "photos": ["test_photos"],
             "movein": ["test_movein"], "cooking": ["test_cooking"],
             "backup": ["test_backup", "test_app"],
             "trash": ["test_trash", "test_catalog", "test_recipes"],
             "plan": ["test_plan"], "nutrition": ["test_nutrition", "test_kitchen"],
             "ui": ["test_app", "test_kitchen", "test_recipes"], "tools": ["test_app", "test_intake", "test_backup"]}
    return known.get(part, ["test_app"])

def candidates(path):
    out = []
    lines = open(path, encoding="utf-8").read().split("\n")
    for n, line in enumerate(lines):
        code = line.strip()
        if not code or code.startswith(("//", "#", "*", "/*")):
            continue
        for name, pattern, repl in OPERATORS:
            m = re.search(pattern, line)
            if not m:
                continue
            mutated = line[:m.start()] + m.expand(repl) + line[m.end():]
            if mutated != line:
                out.append((path, n, line, mutated, name))
    return out

ALL_TESTS = ["test_data", "test_search", "test_recipes", "test_catalog", "test_kitchen",
             "test_exchange", "test_reference", "test_intake", "test_app", "test_photos",
             "test_movein", "test_nutrition", "test_reliability", "test_screen",
             "test_cooking", "test_backup", "test_trash", "test_plan"]

def mechanical(args):
    quick = "--quick" in args
    seed, count, rng, files = 7, 60, "8c35d06^..HEAD", []
    it = iter(args)
    for a in it:
        if a == "--seed":
            seed = int(next(it))
        elif a == "--count":
            count = int(next(it))
        elif a == "--range":
            rng = next(it)
        elif a not in ("--mechanical", "--quick"):
            files.append(a)
    if not files:
        files = subprocess.run(["git", "diff", "--name-only", rng, "--", "src", "tools"],
                               capture_output=True, text=True).stdout.split()
        files = [f for f in files if f.endswith(".cpp") and os.path.exists(f)]
    pool = [c for f in sorted(files) for c in candidates(f)]
    random.Random(seed).shuffle(pool)
    print(f"{len(pool)} possible mutants in {len(files)} files; seed {seed}", flush=True)
    caught, survivors, tried = 0, [], 0
    for path, n, line, mutated, name in pool:
        if tried == count:
            break
        text = open(path, encoding="utf-8").read()
        lines = text.split("\n")
        lines[n] = mutated
        open(path, "w", encoding="utf-8").write("\n".join(lines))
        try:
            # The part's own tests miss faults that other parts' tests catch (a results
            # list is tested through the recipe editor, say): unless --quick, all of them.
            own = tests_for(path)
            # The own part's tests are built and run first: most faults are caught there,
            # and then the other programs need neither linking nor running.
            others = [] if quick else [t for t in ALL_TESTS if t not in own]
            if run("cmake --build build " + " ".join(f"--target {t}" for t in own)) != 0:
                continue  # does not compile: not a mutant
            tried += 1
            failed = any(run(f"QT_QPA_PLATFORM=offscreen build/bin/{t}", timeout=120) != 0
                         for t in own)
            if not failed and others:
                run("cmake --build build " + " ".join(f"--target {t}" for t in others))
                failed = any(run(f"QT_QPA_PLATFORM=offscreen build/bin/{t}", timeout=120) != 0
                             for t in others)
            where = f"{path}:{n + 1} {name}: {mutated.strip()}"
            print(("CAUGHT " if failed else "MISSED ") + where, flush=True)
            caught += failed
            if not failed:
                survivors.append(where)
        finally:
            open(path, "w", encoding="utf-8").write(text)
    run("cmake --build build")
    print(f"{caught} of {tried} mechanical mutants caught ({100 * caught // max(1, tried)}%)")
    for s in survivors:
        print("  survived: " + s)
    return 0

def main():
    if "--mechanical" in sys.argv:
        return mechanical(sys.argv[1:])
    # Optional words: only the faults whose description holds one of them.
    only = [a for a in sys.argv[1:] if not a.startswith("--")]
    faults = (TRIMMED if "--trimmed" in sys.argv else
              THIS_TURN if "--this-turn" in sys.argv else FAULTS + TRIMMED + THIS_TURN)
    quick = "--quick" in sys.argv
    caught = missed = 0
    for path, old, new, what in faults:
        if not old or old == new or (only and not any(w in what for w in only)):
            continue
        text = open(path, encoding="utf-8").read()
        if text.count(old) != 1:
            print(f"SKIPPED {path}: {what} (text found {text.count(old)} times)")
            continue
        open(path, "w", encoding="utf-8").write(text.replace(old, new))
        try:
            if quick:
                programs = tests_for(path)
                targets = " ".join(f"--target {t}" for t in programs)
                if run(f"cmake --build build {targets}") != 0:
                    print(f"NOBUILD {path}: {what}")
                    continue
                failed = any(run(f"QT_QPA_PLATFORM=offscreen build/bin/{t}", timeout=120) != 0
                             for t in programs)
                print(("CAUGHT " if failed else "MISSED ") + f"{path}: {what}", flush=True)
                caught += failed
                missed += not failed
                continue
            if run("cmake --build build") != 0:
                print(f"NOBUILD {path}: {what}")
                continue
            failed = run("QT_QPA_PLATFORM=offscreen ctest --test-dir build -j2 --timeout 60") != 0
            print(("CAUGHT " if failed else "MISSED ") + f"{path}: {what}", flush=True)
            caught += failed
            missed += not failed
        finally:
            open(path, "w", encoding="utf-8").write(text)
    run("cmake --build build")
    total = caught + missed
    print(f"{caught} of {total} faults caught ({100 * caught // max(1, total)}%)")
    return 0

if __name__ == "__main__":
    sys.exit(main())

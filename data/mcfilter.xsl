<?xml version="1.0" encoding="UTF-8"?>
<!--
  Shows a Twinfold mask collection (a ".mcf" file) as a table when the file is opened
  in a web browser. The file is a "Filters" node whose child nodes are the groups:
  name = group name, desc = masks, id = number, kind = 1 for temporary files,
  val2 = 1 when the group is enabled. Numbers that are 0 are not written in the file.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="html" encoding="UTF-8" indent="yes"/>

  <xsl:template match="/">
    <html>
      <head>
        <title>Mask collection</title>
        <style>
          body { font-family: sans-serif; margin: 2em; color: #222; }
          h1 { font-size: 1.4em; }
          table { border-collapse: collapse; }
          th, td { border: 1px solid #bbb; padding: 0.3em 0.8em; text-align: left; }
          th { background: #e8ecf2; }
          tr:nth-child(even) td { background: #f7f8fa; }
          td.number { text-align: right; }
          td.masks { font-family: monospace; }
          tr.disabled td { color: #999; }
          p.summary { color: #555; }
        </style>
      </head>
      <body>
        <xsl:apply-templates select="node[@name = 'Filters']"/>
      </body>
    </html>
  </xsl:template>

  <xsl:template match="node[@name = 'Filters']">
    <h1>Mask collection</h1>
    <p class="summary">
      <xsl:value-of select="count(node)"/> group(s) of file masks.
    </p>
    <table>
      <tr>
        <th>No.</th>
        <th>Group</th>
        <th>Masks</th>
        <th>Enabled</th>
        <th>Temporary (can be deleted)</th>
      </tr>
      <xsl:for-each select="node">
        <xsl:sort select="@id" data-type="number"/>
        <tr>
          <xsl:if test="not(@val2 = '1')">
            <xsl:attribute name="class">disabled</xsl:attribute>
          </xsl:if>
          <td class="number"><xsl:value-of select="@id"/></td>
          <td><xsl:value-of select="@name"/></td>
          <td class="masks">
            <xsl:call-template name="masks">
              <xsl:with-param name="text" select="@desc"/>
            </xsl:call-template>
          </td>
          <td>
            <xsl:choose>
              <xsl:when test="@val2 = '1'">yes</xsl:when>
              <xsl:otherwise>no</xsl:otherwise>
            </xsl:choose>
          </td>
          <td>
            <xsl:choose>
              <xsl:when test="@kind = '1'">yes</xsl:when>
              <xsl:otherwise>no</xsl:otherwise>
            </xsl:choose>
          </td>
        </tr>
      </xsl:for-each>
    </table>
  </xsl:template>

  <!-- The masks one per line: "*.doc;*.txt;" shows as *.doc, *.txt. -->
  <xsl:template name="masks">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="contains($text, ';')">
        <xsl:value-of select="substring-before($text, ';')"/>
        <xsl:if test="string-length(substring-after($text, ';')) &gt; 0">
          <br/>
          <xsl:call-template name="masks">
            <xsl:with-param name="text" select="substring-after($text, ';')"/>
          </xsl:call-template>
        </xsl:if>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="$text"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>
</xsl:stylesheet>
